// The program's 27 option definitions, looked up in table order (a later
// lookup that matches an argument claims it), and what they settle.
#pragma once

#include <array>
#include <string>

#include "params.h"
#include "syslog_profiles.h"

// One lookup result per layout kind, filled by the layout options.
typedef std::array<TFindParamRec, kSyslogChoiceCount> TSyslogSelections;

struct TKestrumParams {
  TFindParamRec Debug, ErrorDelay, AudibleError, Help, Verbose, VersionOnly, Info, Banner;
  TFindParamRec MaxLines, Search, ExactMatch, ListOnly, Alpha, Number, UseComma, NoComma;
  TFindParamRec CustomMarker, ExportConfig, Append;
  TSyslogSelections Selections;
  std::int64_t MaxEntries = 0;
  std::string SearchText, MarkerText, ExportName, CustomConfigFile;
};

extern TKestrumParams KestrumParams;

// Runs the lookups on the library's argument table; rows 2 and 3 write the
// core's error-delay and audible-error switches.
void DefineKestrumOptions();
