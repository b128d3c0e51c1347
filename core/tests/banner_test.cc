#include "banner.h"

#include <gtest/gtest.h>

#include "build_stamp_text.h"
#include "date_picture.h"
#include "dates.h"
#include "output_capture.h"
#include "platform/platform.h"
#include "restore_on_exit.h"
#include "text.h"

TEST(Banner, NamesComeFromTheProgramFile) {
  std::string file(FileNamePart(PlatProgramPath()));
  TFileVersionInfoRec lower = FillVersionInfo("2.2.0", "2.2.0.250", "Desc", "Ignored", false);
  EXPECT_TRUE(lower.Filled);
  EXPECT_EQ(lower.FileName, file);
  EXPECT_EQ(lower.ProgramName + lower.FileExt, file);
  EXPECT_EQ(lower.ShortTitle, lower.ProgramName + " v2.2.0");
  EXPECT_EQ(lower.FileTitle, file + " v2.2.0.250");
  EXPECT_EQ(lower.FullTitle, lower.ProgramName + " v2.2.0.250");
  TFileVersionInfoRec upper = FillVersionInfo("1", "1.0", "D", "x", true);
  EXPECT_EQ(upper.FileName, UpperAscii(file));
  EXPECT_EQ(upper.ProgramName, UpperAscii(lower.ProgramName));
}

// Each way of showing it, twice in a run: only the first call prints, on
// standard error, also when it prints nothing; the reader's style ends its
// build line with an empty line and leaves the date separator alone.
TEST(Banner, ShownOnceOnStandardError) {
  // The switch and the date separator are the process's: given back as found.
  const TRestoreOnExit<bool> shown(BannerShown);
  const TRestoreOnExit<TLocaleFormats> formats(FormatSettings);
  const std::string file(FileNamePart(PlatProgramPath()));
  const std::string program = file.substr(0, file.rfind(".exe"));
  const std::string banner = program + " v2.2.0 x64 (" + BannerDate(BuildDate) +
                             ") - Tabulate\r\n"
                             "Copyright (c) 2026 The Orvella Project. All rights reserved.\r\n"
                             "Orvella console tools -- maintained by the Orvella project team\r\n\r\n";
  const std::string build =
      file + " v2.2.0.250 x64 was compiled on " + CompileStamp(BuildDateTime) + " using " + ToolchainName() + "\r\n";
  struct {
    bool readerStyle, showBuildLine, showBanner;
    std::string want;
    const char* separatorAfter;
  } cases[] = {
      {false, true, true, banner + build + "\r\n", "/"},
      {false, true, false, build, "/"},
      {false, false, true, banner, "/"},
      {false, false, false, "", "/"},
      {true, true, false, build + "\r\n", "-"},
      {true, true, true, banner + build + "\r\n", "-"},
      {true, false, true, banner, "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.readerStyle ? "reader" : "tally") + (c.showBuildLine ? " build line" : "") +
                 (c.showBanner ? " banner" : ""));
    TOutputCapture capture;
    BannerShown = false;
    FormatSettings = DefaultFormatSettings();
    FormatSettings.DateSeparator = "-";
    TFileVersionInfoRec info = FillVersionInfo("2.2.0", "2.2.0.250", "Tabulate", "K", false);
    info.ReaderStyle = c.readerStyle;
    ShowBanner(info, c.showBuildLine, c.showBanner);
    ShowBanner(info, true, true);
    EXPECT_EQ(capture.GetErrors(), c.want);
    EXPECT_EQ(capture.Get(), "");
    EXPECT_TRUE(BannerShown);
    EXPECT_EQ(FormatSettings.DateSeparator, c.separatorAfter);
  }
}
