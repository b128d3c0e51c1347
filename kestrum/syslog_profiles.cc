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

std::string EntryDateText(std::string_view line, const TSyslogConfigRec& profile) {
  auto w = [&](long long n) { return TrimmedWordOf(line, profile.Date_Delimiter, n); };
  std::string text;
  auto add = [&](std::initializer_list<std::string_view> pieces) {
    for (std::string_view p : pieces) text.append(p);
  };
  switch (profile.Kind) {
    case NxLog:
      add({w(11), " ", w(12), " at ", w(3)});
      break;
    case TFTPD32:
      add({w(1), ", ", w(2), " ", w(3), " ", w(5), " at ", w(4)});
      break;
    case KiwiSyslog:
    case WhatsUp:
    case WinSyslog:
      add({w(1), " at ", w(2)});
      break;
    case VisualSyslog:
      add({w(12), " ", w(13), " at ", w(4)});
      break;
    case FastVue:
      add({w(6), " ", w(7), " at ", w(3)});
      break;
    case Custom:
      add({w(profile.Date_Index)});
      break;
  }
  return text;
}
