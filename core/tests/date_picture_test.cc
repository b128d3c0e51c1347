#include "date_picture.h"

#include <gtest/gtest.h>

#include "dates.h"
#include "restore_on_exit.h"

TEST(DatePicture, Translations) {
  struct {
    const char* picture;
    const char* separator;
    const char* want;
  } cases[] = {
      {"M/d/yyyy", "/", "mm/dd/yyyy"},
      {"MM/dd/yy", "/", "mm/dd/yy"},
      {"dd.MM.yyyy", ".", "dd/mm/yyyy"},
      {"d.M.yyyy", ".", "dd/mm/yyyy"},
      {"yyyy-MM-dd", "-", "yyyy/mm/dd"},
      {"yyyy'-'MM'-'dd", "/", "yyyy-mm-dd"},
      {"dd-MMM-yy", "-", "dd/mmm/yy"},
      {"d. M. yyyy", ". ", "dd/mm/yyyy"},
      {"yyyy'年'M'月'd'日'", "/", "yyyy年mm月dd日"},
      {"dd/MM/yyyy g", "/", "dd/mm/yyyy"},
      {"gg yyyy/MM/dd", "/", "yyyy/mm/dd"},
      {"ddd, M/d/yyyy", "/", "mm/dd/yyyy"},
      {"M/d/yyyy 'it''s'", "/", "mm/dd/yyyy it's"},
      {"yyyy 'open", "/", "yyyy open"},
      {"yyyy'''", "/", "yyyy'"},
      {"", "/", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(DatePatternOfPicture(c.picture, c.separator), c.want);
  }
}

// The translated pattern must read dates written the locale's way.
TEST(DatePicture, ReadsDatesOfThatLocale) {
  const TRestoreOnExit<TLocaleFormats> saved(FormatSettings);
  struct {
    const char* picture;
    const char* separator;
    const char* text;
  } cases[] = {
      {"M/d/yyyy", "/", "3/7/2024 10:20"},
      {"dd.MM.yyyy", ".", "07.03.2024 10:20"},
      {"yyyy-MM-dd", "-", "2024-03-07 10:20"},
      {"d. M. yyyy", ". ", "7. 3. 2024 10:20"},
      {"dd/MM/yy", "/", "07/03/24 10:20"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    FormatSettings.DateSeparator = c.separator;
    FormatSettings.ShortDatePattern = DatePatternOfPicture(c.picture, c.separator);
    TDateTime dt;
    ASSERT_TRUE(ParseDateTime(c.text, FormatSettings.ShortDatePattern, &dt)) << FormatSettings.ShortDatePattern;
    TLocalTime t = LocalTimeOf(dt);
    EXPECT_EQ(t.Year, 2024);
    EXPECT_EQ(t.Month, 3);
    EXPECT_EQ(t.Day, 7);
    EXPECT_EQ(t.Hour, 10);
    EXPECT_EQ(t.Minute, 20);
  }
}
