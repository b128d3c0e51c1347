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

TEST_F(ReportTest, LinesAreCutOrDottedToFortyCharacters) {
  NumberWidth = 5;
  struct {
    std::string label;
    const char* text;  // a text line; null: a number line of 1234
    int width;         // of the text; NumberWidth for number lines
    bool grouped;
    const char* want;
  } cases[] = {
      {"sshd", nullptr, 5, true, " sshd ................................... 1,234\n"},
      {std::string(39, 'a'), nullptr, 5, true, " aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa  1,234\n"},
      {std::string(38, 'a'), nullptr, 5, true, " aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa . 1,234\n"},
      {std::string(45, 'b'), nullptr, 5, true, " bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb 1,234\n"},
      {"", nullptr, 5, true, "  ....................................... 1,234\n"},
      // A number wider than the column is written whole.
      {"x", nullptr, 2, false, " x ...................................... 1234\n"},
      {"y", "abc", 0, false, " y ...................................... abc\n"},
      {"z", "abc", 6, false, " z ......................................    abc\n"},
      {"w", "abcdefgh", 4, false, " w ...................................... abcdefgh\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label + (c.text ? c.text : ""));
    capture.Text.clear();
    NumberWidth = c.width;
    if (c.text)
      PrintTextLine(c.label, c.text, c.width);
    else
      PrintNumberLine(c.label, 1234, c.grouped);
    EXPECT_EQ(capture.Get(), Crlf(c.want));
  }
}

// The number column follows the entry count's text; the file size is
// grouped whatever -O says; the notes of -M and -S, the empty file's line
// and the custom layout's file name.
TEST_F(ReportTest, ReportsOfEachKind) {
  const std::string dashes(80, '-'), equals(80, '='), tildes(80, '~');
  struct {
    const char* what;
    std::int64_t entries;  // all of one name
    bool commas, filters;
    const char* customFile;
    std::vector<std::string> want;  // pieces of the report, in order
  } cases[] = {
      {"999 entries", 999, true, false, "",
       {" TOTAL UNIQUE SCRIPTS EXECUTED ..........   1\n TOTAL SYSLOG ENTRIES FOUND/READ ........ 999\n",
        "(in bytes) ..... 1,234,567\n"}},
      {"1000 entries", 1000, true, false, "",
       {" TOTAL UNIQUE SCRIPTS EXECUTED ..........     1\n TOTAL SYSLOG ENTRIES FOUND/READ ........ 1,000\n",
        "(in bytes) ..... 1,234,567\n"}},
      {"1000 entries, -O", 1000, false, false, "",
       {" TOTAL UNIQUE SCRIPTS EXECUTED ..........    1\n TOTAL SYSLOG ENTRIES FOUND/READ ........ 1000\n",
        "(in bytes) ..... 1,234,567\n"}},
      {"no entries, -M and -S", 0, true, true, "",
       {dashes + "\n TOTAL UNIQUE SCRIPTS EXECUTED .......... 0\n TOTAL SYSLOG ENTRIES FOUND/READ ........ 0\n" +
        dashes +
        "\n PROCESSING POTENTIALLY AFFECTED BY ..... -M 2147483647\n"
        " PROCESSING POTENTIALLY AFFECTED BY ..... -S Create\n" +
        equals + "\n\n" + tildes + "\n ERROR: File Did Not Contain Valid Syslog Entries\n" + tildes + "\n"}},
      {"the custom layout", 1, true, false, "my conf.txt",
       {" CURRENT SYSLOG TYPE .................... Custom via \"my conf.txt\"\n"
        " CURRENT SYSLOG FILENAME ................ C:\\Logs\\Main.TXT\n"
        " CURRENT SYSLOG FILESIZE (in bytes) ..... 1,234,567\n"
        " CURRENT SYSLOG TIMESTAMP ............... 12/07/2026 at 09:00:41\n" +
        dashes +
        "\n TIMESTAMP OF FIRST SYSLOG ENTRY ........ first\n"
        " TIMESTAMP OF LAST SYSLOG ENTRY READ .... last\n" +
        tildes + "\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    capture.Text.clear();
    RunOptions.UseCommas = c.commas;
    RunOptions.MaxGiven = c.filters;
    RunOptions.SearchText = c.filters ? "Create" : "";
    RunOptions.CustomConfigFile = c.customFile;
    RunOptions.SyslogFileName = "C:\\Logs\\Main.TXT";
    if (*c.customFile) CurrentSyslogConfig.Kind = Custom;
    TTallyPtr tally = NewTally();
    for (std::int64_t i = 0; i < c.entries; ++i) AddToTally(*tally, "job");
    ScanResult.Tally = FinishTally(std::move(tally), false);
    ScanResult.EntryCount = c.entries;
    ScanResult.FileSize = 1234567;
    ScanResult.FirstEntryDate = "first";
    ScanResult.LastEntryDate = "last";
    TLocalTime t;
    t.Year = 2026, t.Month = 12, t.Day = 7, t.Hour = 9, t.Minute = 0, t.Second = 41;
    ScanResult.FileTimestamp = DateTimeOf(t);
    PrintReport();
    const std::string out = capture.Get();
    std::size_t at = 0;
    for (const std::string& piece : c.want) {
      at = out.find(Crlf(piece), at);
      ASSERT_NE(at, std::string::npos) << piece << "\nin\n" << out;
    }
    // With no entries the report is exactly the piece.
    if (c.entries == 0) {
      EXPECT_EQ(out, Crlf(c.want[0]));
    }
  }
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
