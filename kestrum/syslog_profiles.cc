#include "syslog_profiles.h"

#include "custom_config.h"

TSyslogConfigRec CurrentSyslogConfig;

namespace {

TSyslogConfigRec Preset(TSyslogChoices kind, const char* marker, const char* dateDelims, const char* delims1,
                        std::int32_t index1, const char* delims2, std::int32_t index2) {
  TSyslogConfigRec p;
  p.Kind = kind;
  p.Marker = marker;
  p.Date_Index = -1;
  p.Date_Delimiter = CharSetOf(dateDelims);
  p.Delimiter_1 = CharSetOf(delims1);
  p.Index_1 = index1;
  p.Delimiter_2 = CharSetOf(delims2);
  p.Index_2 = index2;
  return p;
}

}  // namespace

const char* SyslogChoiceName(TSyslogChoices kind) {
  static const char* const kNames[kSyslogChoiceCount] = {"NxLog",     "TFTPD32",      "KiwiSyslog", "WhatsUp",
                                                         "WinSyslog", "VisualSyslog", "FastVue",    "Custom"};
  int i = static_cast<int>(kind);
  return i >= 0 && i < kSyslogChoiceCount ? kNames[i] : "";
}

void BuildPresetProfiles(TSyslogChoicesArray& table) {
  table[NxLog] = Preset(NxLog, "<158>", "\t ", "\t ", 10, "", -1);
  table[TFTPD32] = Preset(TFTPD32, "<158>", " ;", ";", 3, " :", 8);
  table[KiwiSyslog] = Preset(KiwiSyslog, "Local3.Info", "\t ", "\t ", 9, "", -1);
  table[WhatsUp] = Preset(WhatsUp, "local3.info", "\t ", "\t ", 9, "", -1);
  table[WinSyslog] = Preset(WinSyslog, " -- Initiated", " ,", " ,", 12, "", -1);
  table[VisualSyslog] = Preset(VisualSyslog, " -- Initiated", "\t ", "\t ", 11, "", -1);
  table[FastVue] = Preset(FastVue, " -- Initiated", "\t ", "\t ", 5, "", -1);
}

void BuildSyslogProfiles(TSyslogChoicesArray& table, const TFileName& customConfigFile) {
  BuildPresetProfiles(table);
  if (!customConfigFile.Text.empty()) ReadCustomSyslogConfig(customConfigFile, table[Custom]);
}

TDatePicture DatePictureOf(const TSyslogConfigRec& profile) {
  switch (profile.Kind) {
    case NxLog:
      return {{{{11, " "}, {12, " at "}, {3, ""}}}, 3};
    case TFTPD32:
      return {{{{1, ", "}, {2, " "}, {3, " "}, {5, " at "}, {4, ""}}}, 5};
    case KiwiSyslog:
    case WhatsUp:
    case WinSyslog:
      return {{{{1, " at "}, {2, ""}}}, 2};
    case VisualSyslog:
      return {{{{12, " "}, {13, " at "}, {4, ""}}}, 3};
    case FastVue:
      return {{{{6, " "}, {7, " at "}, {3, ""}}}, 3};
    case Custom:
      break;
  }
  return {{{{profile.Date_Index, ""}}}, 1};
}

std::string JoinDateText(const TDatePicture& picture, const std::string_view* words) {
  std::string text;
  for (int i = 0; i < picture.Count; ++i) text.append(words[i]).append(picture.Parts[i].After);
  return text;
}

std::string EntryDateText(std::string_view line, const TSyslogConfigRec& profile) {
  const TDatePicture picture = DatePictureOf(profile);
  std::string_view words[5];
  for (int i = 0; i < picture.Count; ++i) words[i] = TrimmedWordOf(line, profile.Date_Delimiter, picture.Parts[i].Word);
  return JoinDateText(picture, words);
}
