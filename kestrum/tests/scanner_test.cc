// The run's scan of small files, by the run's options and profile: what it
// counts, the dates it keeps and what it prints while it reads.
#include <gtest/gtest.h>

#include <functional>

#include "kestrum_test_util.h"
#include "run_state.h"
#include "scan_output.h"
#include "syslog_profiles.h"
#include "tally.h"
#include "test_files.h"

namespace {

typedef std::function<void(TRunOptions&)> TOptionsSet;

TOptionsSet Search(const char* text, bool exact) {
  return [=](TRunOptions& o) {
    o.SearchText = text;
    o.ExactMatch = exact;
  };
}
TOptionsSet Marker(const char* marker) {
  return [=](TRunOptions& o) { o.Marker = marker; };
}

// What the scan prints at the first line holding the marker.
std::string ProgressText(const std::string& since, const std::string& kind = "NxLog") {
  return Crlf("Processing " + kind + " Syslog...  Please Wait...\n\nTally of [MAJOR] Scripts Used since " + since +
              "\n" + std::string(80, '=') + "\n");
}

// The -D block of one counted entry, with the first words of its section.
std::string DebugBlock(int number, const std::string& line, const std::string& section, const std::string& name,
                       const TStringArray& words) {
  std::string block = std::string(80, '-') + "\n Current Line# ..... " + std::to_string(number) +
                      "\n Original .......... " + line + "\n ThisSection ....... " + section +
                      "\n ThisProcess ....... " + name + "\n" + std::string(80, '-') + "\n";
  for (std::size_t k = 1; k <= 19; ++k) {
    char label[32];
    std::snprintf(label, sizeof label, " ThisSection - %2zu ... ", k);
    block += label + (k <= words.size() ? words[k - 1] : "") + "\n";
  }
  return Crlf(block + std::string(80, '=') + "\n\n");
}

// What a scan of Content gives: the entries counted, the tally ("name=count",
// in the report's order), the dates of the first and the last entry, and
// all that the scan printed.
struct TScanCase {
  const char* What;
  TSyslogChoices Layout;
  TOptionsSet Set;  // may be empty
  std::string Content;
  std::int64_t Entries;
  const char* Tally;
  const char* First;
  const char* Last;
  std::string Out;
};

std::string TallyText(const TFinishedTally& tally) {
  std::string text;
  for (std::size_t i = 0; i < tally.Size(); ++i)
    text += (i ? " " : "") + std::string(tally.Name(i)) + "=" + std::to_string(tally.Count(i));
  return text;
}

}  // namespace

TEST(ScannerTest, SmallFiles) {
  const char* at8 = "Dec 07 at 08:00:00";
  const std::string filtered = NxEntry("CAB") + NxEntry("tabs") + NxEntry("ab") + NxEntry("xyz");
  const std::string mixed = NxEntry("BackupJob", "08:00:01") + "noise line\r\n" + NxEntry("backupjob") +
                            NxEntry("Other", "08:00:00", "<134>") + NxEntry("sshd:", "09:30:00") + "trailing\r\n";
  const std::string limited = NxEntry("a", "01:00:00") + "x\r\n" + NxEntry(":", "02:00:00") + NxEntry("b", "03:00:00") +
                              NxEntry("c", "04:00:00");
  const std::string job = NxLine("Job");
  const TStringArray jobWords = {"<158>1", "2026-12-07", "08:00:00", "SRV", "ORVELLA", "-",
                                 "-",      "[MAJOR]",    "Script:",  "Job", "Dec",     "07"};
  const std::string tftp = "<158>Mon;Dec 7 08:15:02 2026; a b c d e:f g Name: x";
  const char* tftpDate = "<158>Mon, Dec 7 2026 at 08:15:02";
  const std::string kiwi =
      "a b c d e f g h One Local3.Info\nLocal3.Info b c d e f g h Two\n"
      "a b c Local3.Info e f g h Three\na b c local3.info e f g h Four\n";
  const TOptionsSet none;
  const TOptionsSet max2 = [](TRunOptions& o) {
    o.MaxGiven = true;
    o.MaxEntries = 2;
  };
  // Many reads' worth of entries whose lines end in CR, LF and CR LF by
  // turns; binary noise without a marker, then a huge line whose marker has
  // no tenth word after it.
  const char* ends[] = {"\r", "\n", "\r\n"};
  std::string lineEnds, noise;
  for (int i = 0; i < 30000; ++i) lineEnds += NxLine(i % 2 ? "odd" : "EVEN") + ends[i % 3];
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  const std::string huge(kReadBufferSize * 3 / 2, 'x');
  // The last date is that of the last line holding the marker, not of the
  // noise after it; with a count limit, that of the last entry counted.
  const TScanCase cases[] = {
      {"entries among other lines", NxLog, none, mixed, 3, "BackupJob=2 sshd=1", "Dec 07 at 08:00:01",
       "Dec 07 at 09:30:00", ProgressText("Dec 07 at 08:00:01")},
      {"a first marker line without a name gives the date", NxLog, none, "<158> short 07:00:00\r\n" + NxEntry("Job"), 1,
       "Job=1", "  at 07:00:00", at8, ProgressText("  at 07:00:00")},
      {"a colon alone is an empty name", NxLog, none, NxEntry(":") + NxEntry("a:") + NxEntry("b::"), 2, "a=1 b:=1", at8,
       at8, ProgressText(at8)},
      {"-M stops after the last counted entry", NxLog, max2, limited, 2, "a=1 b=1", "Dec 07 at 01:00:00",
       "Dec 07 at 03:00:00", ProgressText("Dec 07 at 01:00:00")},
      {"a limit of 0 reads nothing", NxLog, [](TRunOptions& o) { o.MaxEntries = 0; }, NxEntry("a"), 0, "", "", "  at ",
       ""},
      {"-S ab", NxLog, Search("ab", false), filtered, 3, "CAB=1 tabs=1 ab=1", at8, at8, ProgressText(at8)},
      {"-S ab -E", NxLog, Search("ab", true), filtered, 1, "ab=1", at8, at8, ProgressText(at8)},
      {"-S AB -E", NxLog, Search("AB", true), filtered, 1, "ab=1", at8, at8, ProgressText(at8)},
      {"-S zz", NxLog, Search("zz", false), filtered, 0, "", at8, at8, ProgressText(at8)},
      {"-L with -D: names and blocks in turn, no progress text, no tally", NxLog,
       [](TRunOptions& o) { o.ListOnly = o.Debug = true; }, job + "\n" + job + "\n", 2, "", at8, at8,
       Crlf("Job\n") + DebugBlock(1, job, job, "Job", jobWords) + Crlf("Job\n") +
           DebugBlock(2, job, job, "Job", jobWords)},
      {"the second split by the second delimiter set", TFTPD32, [](TRunOptions& o) { o.Debug = true; }, tftp + "\r\n",
       1, "Name=1", tftpDate, tftpDate,
       ProgressText(tftpDate, "TFTPD32") +
           DebugBlock(1, tftp, "a b c d e:f g Name: x", "Name", {"a", "b", "c", "d", "e", "f", "g", "Name", "x"})},
      {"the marker anywhere in the line, letter case counting", KiwiSyslog, none, kiwi, 3, "One=1 Two=1 Three=1",
       "a at b", "a at b", ProgressText("a at b", "KiwiSyslog")},
      {"an empty marker matches nothing", NxLog, Marker(""), NxEntry("a") + "a\rb\n", 0, "", "", "  at ", ""},
      {"a marker of a line end matches nothing", NxLog, Marker("\n"), NxEntry("a") + "a\rb\n", 0, "", "", "  at ", ""},
      {"a marker holding a CR matches nothing", NxLog, Marker("a\rb"), NxEntry("a") + "a\rb\n", 0, "", "", "  at ", ""},
      {"entries across many reads, lone CRs and LFs ending lines", NxLog, none, lineEnds, 30000, "EVEN=15000 odd=15000",
       at8, at8, ProgressText(at8)},
      {"binary noise and a huge line holding the marker", NxLog, none,
       noise + "\n" + huge + "<158>" + huge + "\n" + NxEntry("after"), 1, "after=1", "  at ", at8,
       ProgressText("  at ")},
  };
  TSyslogChoicesArray profiles{};
  BuildPresetProfiles(profiles);
  for (const TScanCase& c : cases) {
    SCOPED_TRACE(c.What);
    TOutputCapture capture;
    RunOptions = TRunOptions();
    CurrentSyslogConfig = profiles[c.Layout];
    RunOptions.Marker = CurrentSyslogConfig.Marker;
    if (c.Set) c.Set(RunOptions);
    const TScratchFile file(c.Content, "scan.log");
    RunOptions.SyslogFileName = file.Name();
    std::string error;
    EXPECT_TRUE(ScanSyslogFile(&error)) << error;
    EXPECT_EQ(ScanResult.FileSize, static_cast<std::int64_t>(c.Content.size()));
    EXPECT_EQ(ScanResult.EntryCount, c.Entries);
    EXPECT_EQ(TallyText(ScanResult.Tally), c.Tally);
    EXPECT_EQ(ScanResult.FirstEntryDate, c.First);
    EXPECT_EQ(ScanResult.LastEntryDate, c.Last);
    EXPECT_EQ(capture.Get(), c.Out);
  }
}
