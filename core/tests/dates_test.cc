#include "dates.h"

#include <gtest/gtest.h>

#include "date_picture.h"
#include "platform/platform.h"

namespace {

TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
  TLocalTime t;
  t.Year = y, t.Month = mo, t.Day = d, t.Hour = h, t.Minute = mi, t.Second = s, t.Millisecond = ms;
  return DateTimeOf(t);
}

struct DatesTest : ::testing::Test {
  void SetUp() override { FormatSettings = DefaultFormatSettings(); }
};

}  // namespace

TEST_F(DatesTest, FormatsEveryPrintedPattern) {
  TDateTime dt = At(2026, 12, 7, 9, 1, 10, 125);
  EXPECT_EQ(FormatDateTime("mm/dd/yyyy hh:nn:ss.zzz", dt), "12/07/2026 09:01:10.125");
  EXPECT_EQ(FormatDateTime("mm/dd/yyyy \"at\" hh:nn:ss", dt), "12/07/2026 at 09:01:10");
  EXPECT_EQ(FormatDateTime("dd mmm yyyy", dt), "07 Dec 2026");
  EXPECT_EQ(FormatDateTime("dd mmm yyyy @ hh:00:00", dt), "07 Dec 2026 @ 09:00:00");
}

TEST_F(DatesTest, ElapsedHoursDoNotWrap) {
  TDateTime span{(26LL * 3600 + 5 * 60 + 7) * 1000 + 9};
  EXPECT_EQ(FormatDateTime("[hh]:nn:ss.zzz", span), "26:05:07.009");
  EXPECT_EQ(FormatDateTime("[hh]:nn:ss.zzz", TDateTime{355}), "00:00:00.355");
}

TEST_F(DatesTest, LocaleSeparatorsAreUsed) {
  FormatSettings.DateSeparator = "-";
  FormatSettings.TimeSeparator = ".";
  EXPECT_EQ(FormatDateTime("mm/dd/yyyy hh:nn", At(2024, 2, 29, 23, 59, 0, 0)), "02-29-2024 23.59");
}

TEST_F(DatesTest, RoundTripsThroughLocalTime) {
  for (TDateTime dt : {At(1899, 12, 30, 0, 0, 0, 0), At(1600, 3, 1, 12, 0, 0, 1), At(2038, 1, 19, 3, 14, 8, 999),
                       At(9999, 12, 31, 23, 59, 59, 999)}) {
    TLocalTime t = LocalTimeOf(dt);
    EXPECT_EQ(DateTimeOf(t).Ms, dt.Ms);
  }
  EXPECT_EQ(At(1899, 12, 30, 0, 0, 0, 0).Ms, 0);
  EXPECT_EQ(At(1899, 12, 31, 0, 0, 0, 0).Ms, kMsPerDay);
}

TEST_F(DatesTest, NormaliseDateTimePadsAndCutsMilliseconds) {
  struct {
    const char* text;
    const char* want;
  } cases[] = {
      {"2023/08/27 13:18:52", "08/27/2023 13:18:52.000"},
      {"2023/08/27 12:34:56.5", "08/27/2023 12:34:56.500"},
      {"2023/08/27 12:34:56.1234", "08/27/2023 12:34:56.123"},
      {"2023/08/27 12:34:56.12.99", "08/27/2023 12:34:56.120"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatDateTime("mm/dd/yyyy hh:nn:ss.zzz", NormaliseDateTime(c.text, "yyyy/mm/dd", "mm/dd/yyyy")), c.want);
  }
}

TEST_F(DatesTest, NormaliseDateTimePutsATimeOnToday) {
  TDateTime before = Now();
  TDateTime dt = NormaliseDateTime("13:18:52", "mm/dd/yyyy");
  TDateTime after = Now();
  TLocalTime t = LocalTimeOf(dt);
  EXPECT_EQ(t.Hour, 13);
  EXPECT_EQ(t.Minute, 18);
  EXPECT_EQ(t.Second, 52);
  // Today is the day of one of the two clock readings (midnight may pass).
  std::int64_t day = dt.Ms / kMsPerDay;
  EXPECT_TRUE(day == before.Ms / kMsPerDay || day == after.Ms / kMsPerDay);
}

TEST_F(DatesTest, ZeroDateTextStaysOnZeroDate) {
  TDateTime dt = NormaliseDateTime("12/30/1899 10:00:00", "mm/dd/yyyy");
  EXPECT_EQ(dt.Ms, 10LL * 3600 * 1000);
}

TEST_F(DatesTest, UnreadableTextGivesZeroDate) {
  // Nothing at all is no time of day either: it must not land on today.
  for (const char* text : {"not a date", "2023/13/40 10:00:00", "", "   "}) {
    SCOPED_TRACE(std::string("[") + text + "]");
    TDateTime dt;
    EXPECT_FALSE(ParseDateTime(text, FormatSettings.ShortDatePattern, &dt));
    EXPECT_EQ(NormaliseDateTime(text, "mm/dd/yyyy").Ms, 0);
  }
}
