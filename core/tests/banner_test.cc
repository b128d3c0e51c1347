#include "banner.h"

#include <gtest/gtest.h>

#include "build_stamp_text.h"
#include "date_picture.h"
#include "dates.h"
#include "output_capture.h"
#include "platform/platform.h"
#include "restore_on_exit.h"
#include "text.h"

namespace {

// The banner's switches and the date separator it sets are the process's:
// each test gets them back as it found them.
struct BannerTest : ::testing::Test {
  TOutputCapture capture;
  const TRestoreOnExit<bool> shown{BannerShown}, readerStyle{ReaderBannerStyle};
  const TRestoreOnExit<TLocaleFormats> formats{FormatSettings};
  void SetUp() override {
    BannerShown = false;
    ReaderBannerStyle = false;
    FormatSettings = DefaultFormatSettings();
  }
};

}  // namespace

TEST_F(BannerTest, NamesComeFromTheProgramFile) {
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

TEST_F(BannerTest, BannerAndBuildLineOnceOnStandardError) {
  TFileVersionInfoRec info = FillVersionInfo("2.2.0", "2.2.0.250", "Tabulate", "K", false);
  ShowBanner(info, true, true);
  ShowBanner(info, true, true);
  std::string date = BannerDate(BuildDate);
  std::string stamp = CompileStamp(BuildDateTime);
  const std::string file(FileNamePart(PlatProgramPath()));
  const std::string program = file.substr(0, file.rfind(".exe"));
  EXPECT_EQ(capture.GetErrors(), program + " v2.2.0 x64 (" + date +
                                     ") - Tabulate\r\n"
                                     "Copyright (c) 2026 The Orvella Project. All rights reserved.\r\n"
                                     "Orvella console tools -- maintained by the Orvella project team\r\n\r\n" +
                                     file + " v2.2.0.250 x64 was compiled on " + stamp + " using " + ToolchainName() +
                                     "\r\n\r\n");
  EXPECT_EQ(capture.Get(), "");
}

TEST_F(BannerTest, BuildLineAloneHasNoEmptyLineExceptInReaderStyle) {
  TFileVersionInfoRec info = FillVersionInfo("1", "1.0", "D", "x", false);
  ShowBanner(info, true, false);
  std::string once = capture.GetErrors();
  EXPECT_EQ(once.find("\r\n"), once.size() - 2) << once;
  BannerShown = false;
  ReaderBannerStyle = true;
  capture.ErrorText.clear();
  ShowBanner(info, true, false);
  EXPECT_EQ(capture.GetErrors(), once + "\r\n");
}

TEST_F(BannerTest, FirstCallCountsEvenWhenItPrintsNothing) {
  TFileVersionInfoRec info = FillVersionInfo("1", "1.0", "D", "x", false);
  ShowBanner(info, false, false);
  ShowBanner(info, true, true);
  EXPECT_EQ(capture.GetErrors(), "");
  EXPECT_TRUE(BannerShown);
}

TEST_F(BannerTest, ShowingTheBannerSetsTheDateSeparator) {
  FormatSettings.DateSeparator = "-";
  ShowBanner(FillVersionInfo("1", "1.0", "D", "x", false), false, true);
  EXPECT_EQ(FormatSettings.DateSeparator, "/");
  BannerShown = false;
  ReaderBannerStyle = true;
  FormatSettings.DateSeparator = "-";
  ShowBanner(FillVersionInfo("1", "1.0", "D", "x", true), false, true);
  EXPECT_EQ(FormatSettings.DateSeparator, "-");
}
