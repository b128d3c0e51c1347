#include <gtest/gtest.h>

#include "kestrum_test_util.h"
#include "run_state.h"
#include "scan_output.h"
#include "syslog_profiles.h"
#include "tally.h"
#include "test_files.h"

namespace {

// NxLog layout: word 3 the time, word 10 the name, words 11-12 the date.
struct ScannerTest : ::testing::Test {
  TOutputCapture capture;
  std::string error;
  std::unique_ptr<TScratchFile> file;

  void SetUp() override {
    RunOptions = TRunOptions();
    TSyslogChoicesArray table{};
    BuildPresetProfiles(table);
    CurrentSyslogConfig = table[NxLog];
    RunOptions.Marker = CurrentSyslogConfig.Marker;
  }
  bool Scan(const std::string& content) {
    file = std::make_unique<TScratchFile>(content, "scan.log");
    RunOptions.SyslogFileName = file->Name();
    return ScanSyslogFile(&error);
  }
  std::string Out() { return capture.Get(); }
};

}  // namespace

TEST_F(ScannerTest, CountsEntriesAndSkipsOtherLines) {
  ASSERT_TRUE(Scan(NxEntry("BackupJob", "08:00:01") + "noise line\r\n" + NxEntry("backupjob") +
                   NxEntry("Other", "08:00:00", "<134>") + NxEntry("sshd:", "09:30:00") + "trailing\r\n"))
      << error;
  EXPECT_EQ(ScanResult.EntryCount, 3);
  EXPECT_EQ(TallyNameList(ScanResult.Tally), (TStringArray{"BackupJob", "sshd"}));
  EXPECT_EQ(ScanResult.FirstEntryDate, "Dec 07 at 08:00:01");
  // The last line that held the marker, not the trailing noise line.
  EXPECT_EQ(ScanResult.LastEntryDate, "Dec 07 at 09:30:00");
  EXPECT_EQ(Out(), Crlf("Processing NxLog Syslog...  Please Wait...\n\n"
                        "Tally of [MAJOR] Scripts Used since Dec 07 at 08:00:01\n" +
                        std::string(80, '=') + "\n"));
}

TEST_F(ScannerTest, FirstMarkerLineWithEmptyNameStillGivesTheSinceDate) {
  ASSERT_TRUE(Scan("<158> short 07:00:00\r\n" + NxEntry("Job")));
  EXPECT_EQ(ScanResult.EntryCount, 1);
  EXPECT_EQ(ScanResult.FirstEntryDate, "  at 07:00:00");
}

TEST_F(ScannerTest, ColonAloneIsAnEmptyName) {
  ASSERT_TRUE(Scan(NxEntry(":") + NxEntry("a:") + NxEntry("b::")));
  EXPECT_EQ(TallyNameList(ScanResult.Tally), (TStringArray{"a", "b:"}));
}

TEST_F(ScannerTest, MaxEntriesStopsAfterTheLastCountedEntry) {
  RunOptions.MaxGiven = true;
  RunOptions.MaxEntries = 2;
  ASSERT_TRUE(Scan(NxEntry("a", "01:00:00") + "x\r\n" + NxEntry(":", "02:00:00") + NxEntry("b", "03:00:00") +
                   NxEntry("c", "04:00:00")));
  EXPECT_EQ(ScanResult.EntryCount, 2);
  EXPECT_EQ(ScanResult.LastEntryDate, "Dec 07 at 03:00:00");
}

TEST_F(ScannerTest, MaxEntriesZeroReadsNothing) {
  RunOptions.MaxEntries = 0;
  ASSERT_TRUE(Scan(NxEntry("a")));
  EXPECT_EQ(ScanResult.EntryCount, 0);
  EXPECT_EQ(Out(), "");
  EXPECT_EQ(ScanResult.LastEntryDate, "  at ");
}

TEST_F(ScannerTest, SearchFilter) {
  struct {
    const char* search;
    bool exact;
    TStringArray want;
  } cases[] = {
      {"ab", false, {"CAB", "tabs", "ab"}},
      {"ab", true, {"ab"}},
      {"AB", true, {"ab"}},
      {"zz", false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.search);
    SetUp();
    RunOptions.SearchGiven = true;
    RunOptions.SearchText = c.search;
    RunOptions.ExactMatch = c.exact;
    ASSERT_TRUE(Scan(NxEntry("CAB") + NxEntry("tabs") + NxEntry("ab") + NxEntry("xyz")));
    EXPECT_EQ(TallyNameList(ScanResult.Tally), c.want);
  }
}

TEST_F(ScannerTest, ListOnlyWithDebugInterleavesAndSkipsProgress) {
  RunOptions.ListOnly = true;
  RunOptions.Debug = true;
  std::string line = "<158>1 2026-12-07 08:00:00 SRV ORVELLA - - [MAJOR] Script: Job Dec 07";
  ASSERT_TRUE(Scan(line + "\n" + line + "\n"));
  std::string block = std::string(80, '-') + "\n Current Line# ..... N\n Original .......... " + line +
                      "\n ThisSection ....... " + line + "\n ThisProcess ....... Job\n" + std::string(80, '-') + "\n";
  const char* words[] = {"<158>1", "2026-12-07", "08:00:00", "SRV", "ORVELLA", "-",
                         "-",      "[MAJOR]",    "Script:",  "Job", "Dec",     "07"};
  for (int k = 1; k <= 19; ++k) {
    char label[32];
    std::snprintf(label, sizeof label, " ThisSection - %2d ... ", k);
    block += std::string(label) + (k <= 12 ? words[k - 1] : "") + "\n";
  }
  block += std::string(80, '=') + "\n\n";
  std::string one = block, two = block;
  one.replace(one.find(" N\n"), 3, " 1\n");
  two.replace(two.find(" N\n"), 3, " 2\n");
  EXPECT_EQ(Out(), Crlf("Job\n" + one + "Job\n" + two));
  EXPECT_EQ(ScanResult.Tally.Size(), 0u);
}

TEST_F(ScannerTest, SecondSplitUsesTheSecondDelimiterSet) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  CurrentSyslogConfig = table[TFTPD32];
  RunOptions.Debug = true;
  ASSERT_TRUE(Scan("<158>Mon;Dec 7 08:15:02 2026; a b c d e:f g Name: x\r\n"));
  EXPECT_EQ(TallyNameList(ScanResult.Tally), (TStringArray{"Name"}));
  std::string out = Out();
  EXPECT_NE(out.find(" ThisSection ....... a b c d e:f g Name: x\r\n"), std::string::npos);
  EXPECT_NE(out.find(" ThisSection -  5 ... e\r\n ThisSection -  6 ... f\r\n"), std::string::npos);
  EXPECT_NE(out.find("since <158>Mon, Dec 7 2026 at 08:15:02"), std::string::npos);
}

TEST_F(ScannerTest, MarkerIsCaseSensitiveAnywhereInTheLine) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  CurrentSyslogConfig = table[KiwiSyslog];
  RunOptions.Marker = "Local3.Info";
  ASSERT_TRUE(
      Scan("a b c d e f g h One Local3.Info\n"
           "Local3.Info b c d e f g h Two\n"
           "a b c Local3.Info e f g h Three\n"
           "a b c local3.info e f g h Four\n"));
  EXPECT_EQ(TallyNameList(ScanResult.Tally), (TStringArray{"One", "Two", "Three"}));
}

TEST_F(ScannerTest, EmptyOrLineBreakMarkerMatchesNothing) {
  for (const char* marker : {"", "\n", "a\rb"}) {
    SetUp();
    RunOptions.Marker = marker;
    ASSERT_TRUE(Scan(NxEntry("a") + "a\rb\n"));
    EXPECT_EQ(ScanResult.EntryCount, 0) << marker;
  }
}

TEST_F(ScannerTest, EntriesAcrossManyBlocksAndLoneCrLineEnds) {
  std::string content;
  for (int i = 0; i < 30000; ++i) {
    std::string l = NxEntry(i % 2 ? "odd" : "EVEN");
    l.resize(l.size() - 2);
    content += l + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
  }
  ASSERT_TRUE(Scan(content));
  EXPECT_EQ(ScanResult.EntryCount, 30000);
  EXPECT_EQ(TallyCountList(ScanResult.Tally), (std::vector<std::int64_t>{15000, 15000}));
  EXPECT_EQ(ScanResult.FileSize, static_cast<std::int64_t>(content.size()));
}

TEST_F(ScannerTest, BinaryNoiseAndHugeLinesDoNotConfuseTheCount) {
  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  std::string huge(300000, 'x');
  ASSERT_TRUE(Scan(noise + "\n" + huge + "<158>" + huge + "\n" + NxEntry("after")));
  // The noise holds no marker; the huge line has one but no tenth word.
  EXPECT_EQ(TallyNameList(ScanResult.Tally), (TStringArray{"after"}));
}
