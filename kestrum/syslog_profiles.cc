#include "syslog_profiles.h"

#include "custom_config.h"

TSyslogConfigRec CurrentSyslogConfig;

const char* SyslogChoiceName(TSyslogChoices kind) {
  static const char* const kNames[kSyslogChoiceCount] = {"NxLog",     "TFTPD32",      "KiwiSyslog", "WhatsUp",
                                                         "WinSyslog", "VisualSyslog", "FastVue",    "Custom"};
  int i = static_cast<int>(kind);
  return i >= 0 && i < kSyslogChoiceCount ? kNames[i] : "";
}

void BuildPresetProfiles(TSyslogChoicesArray& table) {
  // Kind, Date_Index (unused: a preset's date has its picture), Index_1,
  // Index_2, Date_Delimiter, Delimiter_1, Delimiter_2, Marker.
  table[NxLog] = {NxLog, -1, 10, -1, CharSetOf("\t "), CharSetOf("\t "), CharSetOf(""), "<158>"};
  table[TFTPD32] = {TFTPD32, -1, 3, 8, CharSetOf(" ;"), CharSetOf(";"), CharSetOf(" :"), "<158>"};
  table[KiwiSyslog] = {KiwiSyslog, -1, 9, -1, CharSetOf("\t "), CharSetOf("\t "), CharSetOf(""), "Local3.Info"};
  table[WhatsUp] = {WhatsUp, -1, 9, -1, CharSetOf("\t "), CharSetOf("\t "), CharSetOf(""), "local3.info"};
  table[WinSyslog] = {WinSyslog, -1, 12, -1, CharSetOf(" ,"), CharSetOf(" ,"), CharSetOf(""), " -- Initiated"};
  table[VisualSyslog] = {VisualSyslog, -1, 11, -1, CharSetOf("\t "), CharSetOf("\t "), CharSetOf(""), " -- Initiated"};
  table[FastVue] = {FastVue, -1, 5, -1, CharSetOf("\t "), CharSetOf("\t "), CharSetOf(""), " -- Initiated"};
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
  return EntryDateText(line, DatePictureOf(profile), WordCutterOf(profile.Date_Delimiter));
}

std::string EntryDateText(std::string_view line, const TDatePicture& picture, const TWordCutter& dateSet) {
  std::string_view words[5];
  for (int i = 0; i < picture.Count; ++i) words[i] = TrimmedWordOf(line, dateSet, picture.Parts[i].Word);
  return JoinDateText(picture, words);
}
