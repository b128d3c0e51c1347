#include "numbers.h"

#include <gtest/gtest.h>

#include "dates.h"

TEST(NumberFromText, Table) {
  const std::int64_t d = 2147483647;
  struct {
    const char* text;
    std::int64_t want;
    bool defaulted;
  } cases[] = {
      {"1,000", 1000, false},   {"12.9", 12, false},      {"abc", d, true},
      {"", d, true},            {"-5", -5, false},        {"+7", 7, false},
      {" 42", 42, false},       {"42 ", d, true},         {"2147483647", d, true},
      {"9223372036854775807", 9223372036854775807LL, false},
      {"9223372036854775808", d, true},
      {"-9223372036854775808", INT64_MIN, false},
      {".5", d, true},          {"1.2.3", 1, false},      {"0x10", d, true},
      {",,,3", 3, false},       {"-", d, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const TNumberRead read = NumberFromText(c.text, d);
    EXPECT_EQ(read.Value, c.want);
    EXPECT_EQ(read.Defaulted, c.defaulted);
  }
}

TEST(FormatGrouped, GroupsInThrees) {
  FormatSettings = TLocaleFormats();
  struct {
    std::int64_t v;
    const char* want;
  } cases[] = {{0, "0"},         {999, "999"},         {1000, "1,000"},
               {1234567, "1,234,567"}, {-1234, "-1,234"},
               {INT64_MIN, "-9,223,372,036,854,775,808"}};
  for (const auto& c : cases) EXPECT_EQ(FormatGrouped(c.v), c.want) << c.v;
  EXPECT_EQ(FormatCount(1234, false), "1234");
  // Separators of other lengths, as a locale may give.
  FormatSettings.ThousandSeparator = "\xA0\xA0";
  EXPECT_EQ(FormatGrouped(-1234567), "-1\xA0\xA0" "234\xA0\xA0" "567");
  FormatSettings.ThousandSeparator = "";
  EXPECT_EQ(FormatGrouped(1234567), "1234567");
  FormatSettings = TLocaleFormats();
}
