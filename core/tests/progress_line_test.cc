#include "progress_line.h"

#include <gtest/gtest.h>

#include "dates.h"
#include "restore_on_exit.h"

TEST(ProgressLine, TextTable) {
  // The thousands separator of the default settings, whatever locale an
  // earlier test loaded.
  const TRestoreOnExit<TLocaleFormats> saved(FormatSettings);
  FormatSettings = TLocaleFormats();
  const std::string wide(70, 'w');
  struct {
    std::string label;
    std::int64_t done, total;
    double seconds;
    std::string want;
  } cases[] = {
      {"Reading", 3000000000, 6000000000, 2.0, "Reading 50% - 3,000,000,000 of 6,000,000,000 bytes - 1,500 MB/s"},
      {"Reading", 999, 1000, 1.0, "Reading 99% - 999 of 1,000 bytes - 0 MB/s"},
      // A file grown since its size was taken shows as read whole.
      {"Reading", 5000000, 1000000, 1.0, "Reading 100% - 1,000,000 of 1,000,000 bytes - 5 MB/s"},
      {"Reading", 2500000, -1, 0.5, "Reading 2,500,000 bytes - 5 MB/s"},
      {"Reading", 7, 0, 0.0, "Reading 7 bytes"},
      {wide, 1, 2, 1.0, wide + " 50% - 1 "},  // cut at 79
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    EXPECT_EQ(ProgressLineText(c.label, c.done, c.total, c.seconds), c.want);
  }
}
