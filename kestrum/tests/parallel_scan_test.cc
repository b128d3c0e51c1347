// The parallel scan against the sequential one, on generated files of all
// eight layouts: the same progress text, report and result, byte for byte,
// with chunks cut anywhere (one byte to whole blocks) and 2 to 8 workers.
#include <gtest/gtest.h>

#include <fstream>
#include <mutex>
#include <random>
#include <regex>

#include "custom_config.h"
#include "read_fault.h"
#include "scan_differential.h"
#include "test_files.h"

namespace {

// One entry line of the layout for the name, and one line that is not an
// entry (the marker missing, or misspelt in letter case).
struct TLayoutSample {
  TSyslogChoices Kind;
  std::string (*Entry)(const std::string& name, int second);
  const char* Noise;
};

std::string Time(int second) {
  char t[16];
  std::snprintf(t, sizeof t, "%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60, second % 60);
  return t;
}

const TLayoutSample kLayouts[] = {
    {NxLog,
     [](const std::string& n, int s) {
       return "<158>1 2026-12-07T" + Time(s) + " " + Time(s) + " SRV ORVELLA - - [MAJOR] Script: " + n + " Dec 07 2026";
     },
     "<134>1 2026-12-07T00:00:00 00:00:00 SRV ORVELLA - - [INFO] Heartbeat: ok Dec 07 2026"},
    {TFTPD32,
     [](const std::string& n, int s) {
       return "Mon Dec 07 " + Time(s) + " 2026;10.0.0.5;<158>1 2026-12-07T" + Time(s) + " SRV ORVELLA Script: " + n +
              " started";
     },
     "Mon Dec 07 00:00:00 2026;10.0.0.5;<134>1 2026-12-07 SRV ORVELLA Heartbeat: ok"},
    {KiwiSyslog,
     [](const std::string& n, int s) {
       return "2026-12-07 " + Time(s) + "\tLocal3.Info\t10.0.0.5\tDec 07 " + Time(s) + " SRV " + n + ": [MAJOR] job";
     },
     "2026-12-07 00:00:00\tlocal3.info\t10.0.0.5\tDec 07 00:00:00 SRV beat: ok"},
    {WhatsUp,
     [](const std::string& n, int s) {
       return "2026-12-07 " + Time(s) + " local3.info 10.0.0.5 Dec 07 " + Time(s) + " SRV " + n + ": [MAJOR] job";
     },
     "2026-12-07 00:00:00 Local3.Info 10.0.0.5 Dec 07 00:00:00 SRV beat: ok"},
    {WinSyslog,
     [](const std::string& n, int s) {
       return "2026-12-07," + Time(s) + ",10.0.0.5,Local3,Info,SRV ORVELLA: [MAJOR] Job -- Initiated " + n +
              " by scheduler";
     },
     "2026-12-07,00:00:00,10.0.0.5,Local3,Info,SRV ORVELLA: [MAJOR] Job -- Completed x"},
    {VisualSyslog,
     [](const std::string& n, int s) {
       return "10.0.0.5\tLocal3\tInfo\t" + Time(s) + "\tSRV ORVELLA: [MAJOR] Job -- Initiated " + n + " Dec 07 2026";
     },
     "10.0.0.5\tLocal3\tInfo\t00:00:00\tSRV ORVELLA: [MAJOR] Job -- Completed x Dec 07 2026"},
    {FastVue,
     [](const std::string& n, int s) {
       return "10.0.0.5\tSRV\t" + Time(s) + "\tScript\t" + n + "\tDec 07 2026 -- Initiated by scheduler";
     },
     "10.0.0.5\tSRV\t00:00:00\tScript\tbeat\tDec 07 2026 -- Completed rc=0"},
    {Custom, [](const std::string& n, int s) { return "SRV,2026-12-07 " + Time(s) + ",[JOB],task=" + n + ",rc=0"; },
     "SRV,2026-12-07 00:00:00,[HEARTBEAT],state=ok"},
};

// Lines of every kind, in every line end, some longer than the read buffer,
// with Ctrl-Z and NUL bytes and markers cut in two by line ends.
std::string Generate(const TLayoutSample& layout, std::mt19937& random, int lines, int names) {
  const char* const ends[] = {"\r\n", "\n", "\r"};
  std::string out;
  for (int i = 0; i < lines; ++i) {
    const std::uint32_t roll = random() % 20;
    // Two draws in one expression would come in an order of the compiler's
    // choosing; this is the order GCC took.
    const auto number = random() % names;
    std::string name = (random() % 2 ? "Job" : "job") + std::to_string(number);
    if (roll == 0) name += std::string(300 + random() % 900, 'x');
    std::string line = roll < 14 ? layout.Entry(name, i) : layout.Noise;
    if (roll == 15) line += std::string("\x1A\0 \0", 4);
    if (roll == 16) line = std::string(200 + random() % 2000, '\0');
    if (roll == 17) line = line.substr(0, line.size() / 2);
    out += line + ends[random() % 3];
  }
  return out;
}

}  // namespace

TEST(ParallelScan, SameReportAsTheSequentialScan) {
  std::mt19937 random(20261208);
  const std::int64_t chunkSizes[] = {1, 61, 700, 5000};
  struct {
    bool alpha, number, search, exact;
  } options[] = {{false, false, false, false},
                 {true, false, false, false},
                 {false, true, true, false},
                 {false, false, true, true}};
  for (const TLayoutSample& layout : kLayouts) {
    SCOPED_TRACE(SyslogChoiceName(layout.Kind));
    TSyslogChoicesArray table{};
    BuildPresetProfiles(table);
    ApplyCustomConfigLine("[JOB]|,|2|,|4|=|2", table[Custom]);
    const std::string content = Generate(layout, random, 250, 40);
    TScratchFile file(content, "parallel.log");
    for (const auto& o : options) {
      RunOptions = TRunOptions();
      RunOptions.SyslogFileName = file.Name();
      CurrentSyslogConfig = table[layout.Kind];
      RunOptions.Marker = CurrentSyslogConfig.Marker;
      RunOptions.SortByName = o.alpha;
      RunOptions.SortByCount = o.number;
      RunOptions.SearchGiven = o.search;
      RunOptions.SearchText = o.exact ? "JOB1" : "b1";
      RunOptions.ExactMatch = o.exact;
      const TScanRun sequential = RunScanWith(1, 0, 256);
      ASSERT_TRUE(sequential.Ok) << sequential.Error;
      ASSERT_GT(sequential.Entries, o.search ? 0 : 100);
      for (int workers = 2; workers <= 8; workers += 3)
        for (std::int64_t chunk : chunkSizes) {
          // One-byte chunks cost a reader each: one layout and option set is enough.
          if (chunk == 1 && (workers != 2 || &o != &options[0])) continue;
          SCOPED_TRACE(SyslogChoiceName(layout.Kind) + std::string(" workers ") + std::to_string(workers) + " chunk " +
                       std::to_string(chunk));
          ASSERT_EQ(RunScanWith(workers, chunk, 256), sequential);
        }
    }
  }
}

namespace {

// The NxLog layout, the options of a plain report, on the file.
void PlainNxLogRun(const std::string& path) {
  RunOptions = TRunOptions();
  RunOptions.SyslogFileName = path;
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  CurrentSyslogConfig = table[NxLog];
  RunOptions.Marker = CurrentSyslogConfig.Marker;
}

std::string NxEntries(const std::string& name, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += kLayouts[0].Entry(name, i) + "\r\n";
  return text;
}

}  // namespace

// A file with no entry at all, and one whose only entry lies in its last
// chunk: the "no entries" report, and the progress text from the last chunk.
TEST(ParallelScan, EntriesFoundLateOrNotAtAll) {
  std::string noise;
  for (int i = 0; i < 2000; ++i) noise += std::string(kLayouts[0].Noise) + "\r\n";
  for (const std::string& content : {noise, noise + kLayouts[0].Entry("Late", 5)}) {
    TScratchFile file(content, "late.log");
    PlainNxLogRun(file.Name());
    const TScanRun sequential = RunScanWith(1, 0, kReadBufferSize);
    EXPECT_EQ(RunScanWith(4, 1000, kReadBufferSize), sequential);
  }
}

// A file that grows while it is read: the chunks are cut by the size at the
// start, and the last one reads on to the end, as the sequential scan does.
TEST(ParallelScan, BytesAppendedWhileScanningAreRead) {
  for (int workers : {1, 3}) {
    SCOPED_TRACE(workers);
    TScratchFile file(NxEntries("Before", 3000), "growing.log");
    PlainNxLogRun(file.Name());
    TReadFault grow(0);
    // Appended before any read gets through, whichever worker reads first:
    // the others wait for it, so none can meet the old end first.
    std::once_flag appended;
    TReadFault::BeforeRead = [&file, &appended](int, std::int64_t) {
      std::call_once(appended, [&file] {
        std::ofstream f(file.Path, std::ios::binary | std::ios::app);
        f << NxEntries("Appended", 500);
      });
    };
    const TScanRun run = RunScanWith(workers, 20000, kReadBufferSize);
    ASSERT_TRUE(run.Ok) << run.Error;
    EXPECT_EQ(run.Entries, 3500);
    EXPECT_TRUE(std::regex_search(run.Shown, std::regex(" Appended \\.+ +500\r\n"))) << run.Shown;
  }
}

// A read that fails in any worker fails the scan with its error, and no
// report is printed.
TEST(ParallelScan, AReadErrorInAnyWorkerFailsTheScan) {
  TScratchFile file(NxEntries("Job", 20000), "failing.log");
  PlainNxLogRun(file.Name());
  for (int failAt : {1, 5, 20}) {
    SCOPED_TRACE(failAt);
    TReadFault fault(failAt);
    const TScanRun run = RunScanWith(4, 50000, kReadBufferSize);
    EXPECT_FALSE(run.Ok);
    EXPECT_EQ(run.Error, "Input/output error");
    EXPECT_EQ(run.Shown.find("TOTAL"), std::string::npos);
  }
}

// The count limit applies without -M too (2147483647 entries): a parallel
// scan that reaches it gives way to the sequential one, which alone knows
// the entry it stops at, and the progress text is not printed twice.
TEST(ParallelScan, TheCountLimitWithoutTheOptionStillHolds) {
  TScratchFile file(NxEntries("Early", 300) + NxEntries("Late", 300), "limit.log");
  PlainNxLogRun(file.Name());
  RunOptions.MaxEntries = 400;
  const TScanRun sequential = RunScanWith(1, 0, kReadBufferSize);
  EXPECT_EQ(sequential.Entries, 400);
  EXPECT_EQ(RunScanWith(3, 5000, kReadBufferSize), sequential);
}
