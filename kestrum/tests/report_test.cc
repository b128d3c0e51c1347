#include "report.h"

#include <gtest/gtest.h>

#include "kestrum_test_util.h"
#include "run_state.h"
#include "syslog_profiles.h"
#include "tally.h"

namespace {

struct ReportTest : ::testing::Test {
  TOutputCapture capture;
  void SetUp() override {
    FormatSettings = TLocaleFormats();
    RunOptions = TRunOptions();
    ScanResult = TScanResult();
    TSyslogChoicesArray table{};
    BuildPresetProfiles(table);
    CurrentSyslogConfig = table[NxLog];
  }
};

}  // namespace

TEST_F(ReportTest, LabelIsCutOrDottedToFortyCharacters) {
  NumberWidth = 5;
  struct {
    std::string label;
    const char* want;
  } cases[] = {
      {"sshd", " sshd ................................... 1,234\n"},
      {std::string(39, 'a'), " aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa  1,234\n"},
      {std::string(38, 'a'), " aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa . 1,234\n"},
      {std::string(45, 'b'), " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb 1,234\n"},
      {"", "  ....................................... 1,234\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    capture.Text.clear();
    PrintNumberLine(c.label, 1234, true);
    EXPECT_EQ(capture.Get(), Crlf(c.want));
  }
}

TEST_F(ReportTest, NumberWiderThanTheColumnIsWrittenWhole) {
  NumberWidth = 2;
  PrintNumberLine("x", 123456, false);
  PrintTextLine("y", "abc", 0);
  PrintTextLine("z", "abc", 6);
  EXPECT_EQ(capture.Get(), Crlf(" x ...................................... 123456\n"
                                " y ...................................... abc\n"
                                " z ......................................    abc\n"));
}

TEST_F(ReportTest, NumberColumnFollowsTheEntryCountText) {
  struct {
    std::int64_t count;
    bool commas;
    const char* unique;
    const char* total;
  } cases[] = {
      {999, true, "  1", "999"},
      {1000, true, "    1", "1,000"},
      {1000, false, "   1", "1000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    SetUp();
    capture.Text.clear();
    RunOptions.UseCommas = c.commas;
    TTallyPtr tally = NewTally();
    for (std::int64_t i = 0; i < c.count; ++i) AddToTally(*tally, "job");
    ScanResult.Tally = FinishTally(std::move(tally), false);
    ScanResult.EntryCount = c.count;
    ScanResult.FileSize = 1234567;
    PrintReport();
    std::string out = capture.Get();
    EXPECT_NE(out.find(Crlf(" TOTAL UNIQUE SCRIPTS EXECUTED .......... " + std::string(c.unique) +
                            "\n TOTAL SYSLOG ENTRIES FOUND/READ ........ " + c.total + "\n")),
              std::string::npos)
        << out;
    // The file size is grouped whatever -O says.
    EXPECT_NE(out.find("(in bytes) ..... 1,234,567\r\n"), std::string::npos) << out;
  }
}

TEST_F(ReportTest, NoEntriesAndBothFilterNotes) {
  RunOptions.MaxGiven = true;
  RunOptions.MaxEntries = 2147483647;
  RunOptions.SearchGiven = true;
  RunOptions.SearchText = "Create";
  PrintReport();
  std::string want = std::string(80, '-') + "\n" +
                     " TOTAL UNIQUE SCRIPTS EXECUTED .......... 0\n"
                     " TOTAL SYSLOG ENTRIES FOUND/READ ........ 0\n" +
                     std::string(80, '-') + "\n" +
                     " PROCESSING POTENTIALLY AFFECTED BY ..... -M 2147483647\n"
                     " PROCESSING POTENTIALLY AFFECTED BY ..... -S Create\n" +
                     std::string(80, '=') + "\n\n" + std::string(80, '~') + "\n" +
                     " ERROR: File Did Not Contain Valid Syslog Entries\n" + std::string(80, '~') + "\n";
  EXPECT_EQ(capture.Get(), Crlf(want));
}

TEST_F(ReportTest, FileBlockNamesTheCustomConfiguration) {
  CurrentSyslogConfig.Kind = Custom;
  RunOptions.CustomConfigFile = "my conf.txt";
  RunOptions.SyslogFileName = "C:\\Logs\\Main.TXT";
  TTallyPtr tally = NewTally();
  AddToTally(*tally, "a");
  ScanResult.Tally = FinishTally(std::move(tally), false);
  ScanResult.EntryCount = 1;
  ScanResult.FirstEntryDate = "first";
  ScanResult.LastEntryDate = "last";
  TLocalTime t;
  t.Year = 2026, t.Month = 12, t.Day = 7, t.Hour = 9, t.Minute = 0, t.Second = 41;
  ScanResult.FileTimestamp = DateTimeOf(t);
  PrintReport();
  std::string out = capture.Get();
  EXPECT_NE(out.find(Crlf(" CURRENT SYSLOG TYPE .................... Custom via \"my conf.txt\"\n"
                          " CURRENT SYSLOG FILENAME ................ C:\\Logs\\Main.TXT\n"
                          " CURRENT SYSLOG FILESIZE (in bytes) ..... 0\n"
                          " CURRENT SYSLOG TIMESTAMP ............... 12/07/2026 at 09:00:41\n" +
                          std::string(80, '-') +
                          "\n TIMESTAMP OF FIRST SYSLOG ENTRY ........ first\n"
                          " TIMESTAMP OF LAST SYSLOG ENTRY READ .... last\n")),
            std::string::npos)
      << out;
}

TEST_F(ReportTest, TimingBlock) {
  TLocalTime t;
  t.Year = 2026, t.Month = 12, t.Day = 7, t.Hour = 9, t.Minute = 1, t.Second = 10, t.Millisecond = 125;
  TDateTime start = DateTimeOf(t);
  PrintTimingBlock(start, TDateTime{start.Ms + 355});
  EXPECT_EQ(capture.Get(), Crlf("\n" + std::string(80, '-') +
                                "\n Start Time ............................. 12/07/2026 09:01:10.125\n"
                                " End Time ............................... 12/07/2026 09:01:10.480\n"
                                " Elapsed Time ...........................            00:00:00.355\n" +
                                std::string(80, '=') + "\n" + std::string(80, '#') + "\n"));
}
