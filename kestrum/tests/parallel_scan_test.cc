// The parallel scan against the sequential one, on generated files of all
// eight layouts: the same progress text, report and result, byte for byte,
// with chunks cut anywhere (one byte to whole blocks) and 2 to 8 workers.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <fstream>
#include <mutex>
#include <random>
#include <regex>
#include <thread>

#include "alloc_fault.h"
#include "custom_config.h"
#include "read_fault.h"
#include "scan_differential.h"
#include "test_files.h"
#include "thread_group.h"

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

// The layout and the options of a plain report, on the file.
void LayoutRun(const std::string& path, const TSyslogConfigRec& layout) {
  RunOptions = TRunOptions();
  RunOptions.SyslogFileName = path;
  CurrentSyslogConfig = layout;
  RunOptions.Marker = layout.Marker;
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
      LayoutRun(file.Name(), table[layout.Kind]);
      RunOptions.SortByName = o.alpha;
      RunOptions.SortByCount = o.number;
      RunOptions.SearchText = !o.search ? "" : o.exact ? "JOB1" : "b1";
      RunOptions.ExactMatch = o.exact;
      const TScanRun sequential = RunScanWith(1, 0, 256);
      ASSERT_TRUE(sequential.Ok) << sequential.Error;
      ASSERT_GT(sequential.Entries, o.search ? 0 : 100);
      for (int width = kScanPlain; width < gBestScanWidth; ++width)
        ASSERT_EQ(RunScanWith(1, 0, 4096, ScanFile, static_cast<TScanWidth>(width)), sequential) << "width " << width;
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

// Lines longer than the read buffer are cut from their pieces as they pass:
// with buffers of every size from one byte to past the longest line, every
// layout gives what it gives on whole lines. Names and dates cross the piece
// ends, words are parted by runs of delimiters, and the options that look at
// the name (-S, -S -E, -L) see the same names.
TEST(ParallelScan, LinesCutFromTheirPiecesAsFromWholeLines) {
  std::mt19937 random(20261210);
  struct {
    bool search, exact, list;
  } options[] = {{false, false, false}, {true, false, false}, {true, true, false}, {false, false, true}};
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  ApplyCustomConfigLine("[JOB]|,|2|,|4|=|2", table[Custom]);
  for (const TLayoutSample& layout : kLayouts) {
    std::string content;
    std::size_t longest = 0;
    for (int i = 0; i < 7; ++i) {
      std::string line = i % 3 == 2 ? layout.Noise
                                    : layout.Entry((i % 2 ? "Job" : "job") + std::string(random() % 40, 'n') +
                                                       (i == 4 ? ":" : i == 6 ? "\x01" : ""),
                                                   i);
      for (std::size_t at = 0; at < line.size(); ++at)
        if (std::strchr(" ;,=\t", line[at]) && (i == 1 || random() % 2 == 0)) {
          // A control byte and a blank after a field's start make the trim
          // of the section count: only the blank parts words.
          const std::string more = i == 1 ? "\x01 " : random() % 2 ? std::string(1, line[at]) : " ";
          line.insert(at + 1, more);
          at += more.size();
        }
      longest = std::max(longest, line.size());
      content += line + (i % 2 ? "\r\n" : "\n");
    }
    TScratchFile file(content, "pieces.log");
    for (const auto& o : options) {
      LayoutRun(file.Name(), table[layout.Kind]);
      RunOptions.SearchText = !o.search ? "" : o.exact ? "JOB" : "nn";
      RunOptions.ExactMatch = o.exact;
      RunOptions.ListOnly = o.list;
      const TScanRun whole = RunScanWith(1, 0, kReadBufferSize);
      ASSERT_TRUE(whole.Ok) << whole.Error;
      for (int width = kScanPlain; width < gBestScanWidth; ++width)
        ASSERT_EQ(RunScanWith(1, 0, kReadBufferSize, ScanFile, static_cast<TScanWidth>(width)), whole)
            << SyslogChoiceName(layout.Kind) << ", width " << width << ", option set " << &o - options;
      for (std::size_t size = 1; size <= longest + 2; ++size)
        ASSERT_EQ(RunScanWith(1, 0, size), whole)
            << SyslogChoiceName(layout.Kind) << ", buffer " << size << ", option set " << &o - options;
    }
  }
}

namespace {

// The NxLog layout and the options of a plain report, on the file.
void PlainNxLogRun(const std::string& path) {
  TSyslogChoicesArray table{};
  BuildPresetProfiles(table);
  LayoutRun(path, table[NxLog]);
}

std::string NxEntries(const std::string& name, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += kLayouts[0].Entry(name, i) + "\r\n";
  return text;
}

}  // namespace

// A file with no entry at all, and one whose only entry lies in its last
// chunk: the "no entries" report, and the progress text from the last chunk.
// Also a file that ends in a long line's CR LF, whose LF comes in a read of
// its own: both scans tell the whole file read.
TEST(ParallelScan, EntriesFoundLateOrNotAtAll) {
  std::string noise;
  for (int i = 0; i < 2000; ++i) noise += std::string(kLayouts[0].Noise) + "\r\n";
  // Read in pieces of 256 from its start, the CR is the last byte of one.
  const std::string late = kLayouts[0].Entry("Late", 5);
  const std::string longLast = noise + late + std::string(511 - late.size(), 'x') + "\r\n";
  for (const std::string& content : {noise, noise + kLayouts[0].Entry("Late", 5), longLast}) {
    TScratchFile file(content, "late.log");
    PlainNxLogRun(file.Name());
    const TScanRun sequential = RunScanWith(1, 0, 256);
    EXPECT_EQ(sequential.LastProgress, static_cast<std::int64_t>(content.size()));
    EXPECT_EQ(RunScanWith(4, 1000, 256), sequential);
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

// Failures at places in the file (a read error, memory running out, or two
// of them), compared whole with the sequential scan: the one earlier in the
// file is met, and the progress text is out if the first entry comes before
// it. The places stand a read or more away from the first entry: within one
// read of it, where the sequential scan's reads begin decides.
TEST(ParallelScan, FailuresAsTheSequentialScanMeetsThem) {
  std::mt19937 random(20261209);
  std::string content;
  while (content.size() < 20000) content += std::string(kLayouts[0].Noise) + "\r\n";
  content += Generate(kLayouts[0], random, 2500, 40);
  const auto size = static_cast<std::int64_t>(content.size());
  const auto firstEnd = static_cast<std::int64_t>(content.find_first_of("\r\n", content.find("<158>")));
  TScratchFile file(content, "failures.log");
  PlainNxLogRun(file.Name());
  struct TFault {
    std::int64_t At;
    bool OutOfMemory;
  };
  const std::vector<std::vector<TFault>> cases = {
      {{firstEnd - 4000, false}},                       // before the first entry
      {{firstEnd - 4000, true}},                        //
      {{firstEnd + 600, false}},                        // just after it
      {{firstEnd + 600, true}},                         //
      {{size - 300, false}},                            // in the last chunk
      {{size / 2, true}, {size / 2 + 3000, false}},     // memory first
      {{size / 3, false}, {size / 2, true}},            // the read error first
      {{firstEnd - 4000, true}, {size - 300, false}},   // far apart
      {{size / 2 + 20, false}, {size / 2 + 40, true}},  // both in one read
  };
  int withProgressText = 0;
  for (const std::vector<TFault>& faults : cases) {
    SCOPED_TRACE(std::to_string(faults[0].At) + (faults[0].OutOfMemory ? " memory" : " read"));
    TReadFault fault(0);
    for (const TFault& f : faults) TReadFault::AddFaultAt(f.At, "Input/output error", f.OutOfMemory);
    const TScanRun sequential = RunScanWith(1, 0, 256);
    ASSERT_FALSE(sequential.Ok);
    withProgressText += !sequential.Shown.empty();
    EXPECT_EQ(RunScanWith(1, 0, 256, ScanFile, kScanPlain), sequential);
    for (int workers : {2, 4})
      for (std::int64_t chunk : {700, 5000}) {
        SCOPED_TRACE("workers " + std::to_string(workers) + " chunk " + std::to_string(chunk));
        EXPECT_EQ(RunScanWith(workers, chunk, 256), sequential);
      }
  }
  EXPECT_EQ(withProgressText, 6);
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

// The count limit applies without -M too (2147483647 entries): no chunk
// counts past the entry where the sequential scan stops, wherever that
// falls (a chunk's first entry, its last, between marker lines that count
// nothing), and the file is read once, not again after the limit.
TEST(ParallelScan, TheCountLimitWithoutTheOptionStillHolds) {
  std::string content = NxEntries("Early", 300);
  for (int i = 0; i < 50; ++i) content += kLayouts[0].Entry(":", 9000 + i) + "\r\n";  // no name
  content += NxEntries("Late", 300);
  TScratchFile file(content, "limit.log");
  PlainNxLogRun(file.Name());
  TReadFault counting(0);
  ASSERT_TRUE(RunScanWith(1, 0, 512).Ok);
  const int wholeFileReads = TReadFault::Reads;
  for (std::int64_t limit : {1, 299, 300, 301, 599, 600, 601}) {
    RunOptions.MaxEntries = limit;
    TReadFault::Reads = 0;
    const TScanRun sequential = RunScanWith(1, 0, 512);
    const int sequentialReads = TReadFault::Reads;
    EXPECT_EQ(sequential.Entries, std::min<std::int64_t>(limit, 600));
    for (int workers : {2, 3})
      for (std::int64_t chunk : {1000, 5000}) {
        SCOPED_TRACE("limit " + std::to_string(limit) + ", workers " + std::to_string(workers) + ", chunk " +
                     std::to_string(chunk));
        TReadFault::Reads = 0;
        EXPECT_EQ(RunScanWith(workers, chunk, 512), sequential);
        // Beyond the reads of the whole file, each chunk may make a read or
        // two of its neighbour's, to find its first line and end its last.
        EXPECT_LE(TReadFault::Reads, wholeFileReads + static_cast<int>(2 * content.size() / chunk + 4));
      }
    EXPECT_GT(sequentialReads, 0);
  }
}

// A failure ends the workers of later chunks promptly, also one in the
// middle of a line of megabytes, and no later chunk is begun.
TEST(ParallelScan, AFailureStopsTheLaterChunksAtOnce) {
  constexpr std::int64_t kChunk = 4096;
  std::string content;
  while (content.size() + 200 < kChunk) content += NxEntries("Job", 1);
  content.resize(kChunk, ' ');
  content.back() = '\n';
  content += std::string(8 << 20, '\0') + "\r\n" + NxEntries("After", 40000);
  TScratchFile file(content, "stopping.log");
  PlainNxLogRun(file.Name());
  TReadFault fault(0);
  // The read at 2048 fails once the worker of the next chunk is well inside
  // its long line; that one goes on after a pause long enough for the
  // failure to be known.
  TReadFault::AddFaultAt(2048);
  std::atomic<int> later{0};
  std::atomic<bool> failing{false};
  TReadFault::BeforeRead = [&](int, std::int64_t offset) {
    if (offset >= kChunk - 1) {
      if (++later != 50) return;
      for (int i = 0; i < 500 && !failing; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    } else if (offset + 256 > 2048) {
      for (int i = 0; i < 500 && later < 50; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      failing = true;
    }
  };
  const TScanRun run = RunScanWith(2, kChunk, 256);
  EXPECT_FALSE(run.Ok);
  EXPECT_EQ(run.Error, "Input/output error");
  // The long line alone takes 32,768 reads.
  EXPECT_GE(later, 50);
  EXPECT_LE(later, 52);
}

// The progress text goes out while the workers still read, not after: a
// worker of the last chunk waits for it.
TEST(ParallelScan, TheProgressTextComesWhileTheWorkersRead) {
  const std::string content = NxEntries("Job", 20000);
  TScratchFile file(content, "announce.log");
  PlainNxLogRun(file.Name());
  const std::int64_t chunk = 100000;
  const std::int64_t lastChunk = static_cast<std::int64_t>(content.size()) / chunk * chunk;
  static std::atomic<bool> announced;
  announced = false;
  std::atomic<int> waited{0}, tooLate{0};
  TReadFault fault(0);
  TReadFault::BeforeRead = [&](int, std::int64_t offset) {
    if (offset < lastChunk) return;
    ++waited;
    for (int i = 0; i < 500 && !announced; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!announced) ++tooLate;
  };
  const TScanSetup setup(RunOptions, CurrentSyslogConfig, TParallelPlan{0, chunk, 2});
  TScanHooks hooks;
  hooks.FirstEntry = [](const std::string&, std::string*) { return announced = true; };
  std::string err;
  EXPECT_TRUE(ScanFile(setup, hooks, ScanResult, &err)) << err;
  EXPECT_GT(waited, 0);
  EXPECT_EQ(tooLate, 0);
}

// A first-entry hook that fails (the progress text could not be written)
// ends the scan there, with the hook's error, whether one pass or several
// read the file; the next entry is never counted.
TEST(ParallelScan, AFailedFirstEntryHookEndsTheScanAtOnce) {
  TScratchFile file(NxEntries("Job", 20000), "hook.log");
  PlainNxLogRun(file.Name());
  for (int workers : {1, 2}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    const TScanSetup setup(RunOptions, CurrentSyslogConfig, TParallelPlan{0, 100000, workers});
    static int counted;
    counted = 0;
    TScanHooks hooks;
    hooks.FirstEntry = [](const std::string&, std::string* err) {
      *err = "the hook failed";
      return false;
    };
    hooks.Entry = [](const TScanEntry&, std::string*) { return ++counted > 0; };
    std::string err;
    EXPECT_FALSE(ScanFile(setup, hooks, ScanResult, &err));
    EXPECT_EQ(err, "the hook failed");
    EXPECT_EQ(counted, 0);
  }
}

// Enough names (over 100,000) that the workers' tables fill and merge
// while others read, in every report order; and threads that do
// not all start (none: the sequential scan; some: they do all the chunks).
TEST(ParallelScan, ManyNamesAndThreadsThatDoNotStart) {
  // 105,000 names, a quarter of them met twice, far apart.
  std::string content;
  for (int i = 0; i < 130000; ++i)
    content += kLayouts[0].Entry((i % 3 ? "Job" : "JOB") + std::to_string(i * 7919 % 105000), i) + "\n";
  TScratchFile file(content, "many.log");
  PlainNxLogRun(file.Name());
  for (const auto& [alpha, number] : {std::pair{false, false}, {true, false}, {false, true}}) {
    RunOptions.SortByName = alpha;
    RunOptions.SortByCount = number;
    const TScanRun sequential = RunScanWith(1, 0, kReadBufferSize);
    ASSERT_TRUE(sequential.Ok) << sequential.Error;
    ASSERT_GT(std::count(sequential.Shown.begin(), sequential.Shown.end(), '\n'), 100000);
    for (int started : {4, 2, 1, 0}) {
      SCOPED_TRACE(std::to_string(started) + " of 4 threads start");
      const TThreadStartSeam refused(started);
      EXPECT_EQ(RunScanWith(4, 300000, kReadBufferSize), sequential);
    }
  }
}

// Memory that runs out at any allocation of the scan, on the main thread
// or in any worker: the run fails as out of memory with at most the
// progress text out, or, where the fault did not reach it, gives the report.
// It never ends the process, hangs or leaks.
TEST(ParallelScan, MemoryRunningOutAnywhere) {
  std::mt19937 random(11);
  TScratchFile file(Generate(kLayouts[0], random, 400, 50), "memory.log");
  // Also with a count limit that stops the scan in an early chunk: a worker
  // that runs out of memory in a later chunk still held names of the
  // earlier ones, which must not be lost without a failure.
  for (const std::int64_t limit : {kDefaultMaxEntries, std::int64_t{100}}) {
    PlainNxLogRun(file.Name());
    RunOptions.MaxEntries = limit;
    const TScanRun sequential = RunScanWith(1, 0, 512);
    ASSERT_TRUE(sequential.Ok);
    ASSERT_LT(sequential.Entries, 2 * limit);
    const std::string progressText = sequential.Shown.substr(0, sequential.Shown.find(std::string(80, '=')) + 82);
    for (TAllocFault::TThreads threads : {TAllocFault::ThisThread, TAllocFault::AnyThread}) {
      std::int64_t at = 0;
      bool struck = false;
      const TScanCall failing = [&](const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result,
                                    std::string* err) {
        TAllocFault fault(at, threads);
        struct TSeen {
          bool& Struck;
          ~TSeen() { Struck = TAllocFault::Struck(); }
        } seen{struck};
        return ScanFile(setup, hooks, result, err);
      };
      EXPECT_EQ(RunScanWith(3, 4000, 512, failing), sequential);
      const std::int64_t total = TAllocFault::Counted();
      ASSERT_GT(total, 10);
      int strikes = 0;
      for (at = 1; at <= total + 1; ++at) {
        SCOPED_TRACE("allocation " + std::to_string(at) + (threads == TAllocFault::AnyThread ? " of any thread" : "") +
                     ", limit " + std::to_string(limit));
        const TScanRun run = RunScanWith(3, 4000, 512, failing);
        strikes += struck;
        // Some runtimes ask for memory they can do without (a thread's exit
        // list, say): the scan never sees those.
        if (run.Ok) {
          EXPECT_EQ(run, sequential);
          continue;
        }
        EXPECT_TRUE(struck);
        EXPECT_EQ(run.Error, kOutOfMemory);
        EXPECT_EQ(progressText.substr(0, run.Shown.size()), run.Shown);
      }
      EXPECT_GT(strikes, total / 2);
    }
  }
}
