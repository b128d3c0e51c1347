#include "syslog_profiles.h"

#include <gtest/gtest.h>

TEST(EntryDateText, EveryKind) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  const std::string words = "w1 w2 w3 w4 w5 w6 w7 w8 w9 w10 w11 w12 w13";
  struct {
    TSyslogChoices kind;
    std::string line;
    const char* want;
  } cases[] = {
      {NxLog, words, "w11 w12 at w3"},
      {NxLog, "", "  at "},
      {TFTPD32, "Mon;Dec 7 08:15:02 2026;x", "Mon, Dec 7 2026 at 08:15:02"},
      {KiwiSyslog, "2026-12-07\t08:15:02\tLocal3.Info", "2026-12-07 at 08:15:02"},
      {WhatsUp, "2026-12-07 08:15:02 local3.info", "2026-12-07 at 08:15:02"},
      {WinSyslog, "2026-12-07,08:15:02,x -- Initiated", "2026-12-07 at 08:15:02"},
      {VisualSyslog, words, "w12 w13 at w4"},
      {FastVue, words, "w6 w7 at w3"},
      {FastVue, "a b c", "  at c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(EntryDateText(c.line, table[c.kind]), c.want);
  }
}

TEST(EntryDateText, CustomUsesDateIndexAlone) {
  TSyslogConfigRec p;
  p.Kind = Custom;
  p.Date_Delimiter = CharSetOf(";");
  for (auto [index, want] : {std::pair{1, "2026-12-07"}, {2, "b"}, {0, ""}, {9, ""}, {-1, ""}}) {
    p.Date_Index = index;
    EXPECT_EQ(EntryDateText(" 2026-12-07 ;b", p), want) << index;
  }
}

TEST(Presets, MarkersAndIndexes) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  EXPECT_EQ(table[NxLog].Marker, "<158>");
  EXPECT_EQ(table[WinSyslog].Marker, " -- Initiated");
  EXPECT_EQ(table[WinSyslog].Marker.size(), 13u);
  EXPECT_EQ(table[KiwiSyslog].Marker, "Local3.Info");
  EXPECT_EQ(table[WhatsUp].Marker, "local3.info");
  EXPECT_EQ(table[TFTPD32].Index_2, 8);
  EXPECT_TRUE(table[TFTPD32].Delimiter_2.Has[' ']);
  EXPECT_TRUE(table[TFTPD32].Delimiter_2.Has[':']);
  EXPECT_FALSE(table[NxLog].Delimiter_2.Has[' ']);
  EXPECT_TRUE(table[NxLog].Delimiter_1.Has['\t']);
  EXPECT_EQ(table[Custom].Marker, "");
  EXPECT_EQ(table[Custom].Kind, NxLog);
  EXPECT_STREQ(SyslogChoiceName(VisualSyslog), "VisualSyslog");
}
