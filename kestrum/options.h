// The program's 27 option definitions, looked up in table order (a later
// lookup that matches an argument claims it), and what they settle.
#pragma once

#include <array>

#include "params.h"
#include "syslog_profiles.h"

// One lookup result per layout kind, filled by the layout options.
typedef std::array<TFindParamRec, kSyslogChoiceCount> TSyslogSelections;

// The answers of the lookups; a value option's text is its Value.
struct TKestrumParams {
  TFindParamRec Debug, ErrorDelay, AudibleError, Help, Verbose, VersionOnly, Info, Banner;
  TFindParamRec MaxLines, Search, ExactMatch, ListOnly, Alpha, Number, UseComma, NoComma;
  TFindParamRec CustomMarker, ExportConfig, Append;
  TSyslogSelections Selections;  // the Custom entry's Value names the --CS file
};

// Runs the lookups on the library's argument table.
TKestrumParams DefineKestrumOptions();
