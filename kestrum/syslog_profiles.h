// Syslog layouts: how to recognise an entry line and cut the job/process
// name and the entry date out of it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "text.h"

// Stored as a 32-bit value; the enumerator names are also the printed names.
enum TSyslogChoices : std::int32_t {
  NxLog,
  TFTPD32,
  KiwiSyslog,
  WhatsUp,
  WinSyslog,
  VisualSyslog,
  FastVue,
  Custom,
};
constexpr int kSyslogChoiceCount = 8;

const char* SyslogChoiceName(TSyslogChoices kind);

struct TSyslogConfigRec {
  TSyslogChoices Kind = NxLog;
  std::int32_t Date_Index = 0;
  std::int32_t Index_1 = 0;
  std::int32_t Index_2 = 0;  // -1: no second split
  TCharSet Date_Delimiter;
  TCharSet Delimiter_1;
  TCharSet Delimiter_2;
  std::string Marker;  // case-sensitive substring; blanks count
};

typedef std::array<TSyslogConfigRec, kSyslogChoiceCount> TSyslogChoicesArray;

constexpr TSyslogChoices kDefaultSyslogChoice = NxLog;

// The profile chosen for the run.
extern TSyslogConfigRec CurrentSyslogConfig;

// Fills the seven built-in layouts (the Custom entry is left as it is).
void BuildPresetProfiles(TSyslogChoicesArray& table);

// The presets, then the Custom entry from the file when a name is given
// (a missing or unreadable file sets the exit code).
void BuildSyslogProfiles(TSyslogChoicesArray& table, const TFileName& customConfigFile);

// How a kind's date text is made: words of the entry line by the profile's
// Date_Delimiter, each followed by a fixed text.
struct TDatePart {
  std::int32_t Word;
  const char* After;
};
struct TDatePicture {
  std::array<TDatePart, 5> Parts;
  int Count;
};
TDatePicture DatePictureOf(const TSyslogConfigRec& profile);

// The date text from the picture's words (words[i] for Parts[i]), however
// they were cut from the line.
std::string JoinDateText(const TDatePicture& picture, const std::string_view* words);

// The display date of an entry line under the profile's kind; never parsed.
std::string EntryDateText(std::string_view line, const TSyslogConfigRec& profile);
// The same with the profile's date picture and date delimiters made ready
// once, as a scan holds them for all its lines.
std::string EntryDateText(std::string_view line, const TDatePicture& picture, const TWordCutter& dateSet);
