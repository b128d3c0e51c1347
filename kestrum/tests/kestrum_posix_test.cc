// Process tests that need POSIX means to provoke the condition.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "posix_process.h"
#include "run_state.h"
#include "scan_output.h"
#include "tally.h"
#include "test_files.h"
#include "time_limits.h"

namespace {

// While it lives, programs started run in UTC; this process then gets back
// the time zone it had, not none.
struct TUtcZone {
  bool Had = getenv("TZ") != nullptr;
  std::string Saved = Had ? getenv("TZ") : "";
  TUtcZone() { setenv("TZ", "UTC", 1); }
  ~TUtcZone() {
    if (Had)
      setenv("TZ", Saved.c_str(), 1);
    else
      unsetenv("TZ");
  }
};

}  // namespace

TEST(KestrumPosix, ReadErrorOnTheFirstReadGivesTheFileErrorLine) {
  // Reading this file at offset 0 fails with an I/O error.
  const std::string path = "/proc/self/mem";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
  TProcessResult r = RunKestrum({path});
  EXPECT_EQ(r.ExitCode, KestrumExit::ReadError);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "File handling ERROR occurred with \"/proc/self/mem\" -- Input/output error\r\n");
}

TEST(KestrumPosix, FileTimestampInLocalTime) {
  TScratchFile file("<158>1 a 08:00:00 b c d e f g Solo Dec 07\n", "stamp.log");
  // 2026-12-07 09:00:41 UTC
  std::filesystem::last_write_time(file.Path, std::filesystem::file_time_type::clock::from_sys(
                                                  std::chrono::sys_seconds(std::chrono::seconds(1796634041))));
  const TUtcZone utc;
  TProcessResult r = RunKestrum({file.Name()});
  EXPECT_NE(r.Out.find(" CURRENT SYSLOG TIMESTAMP ............... 12/07/2026 at 09:00:41\r\n"), std::string::npos)
      << r.Out;
}

namespace {

std::string NxEntries(int count) {
  std::string content;
  for (int i = 0; i < count; ++i) content += NxEntry("Job" + std::to_string(i % 500));
  return content;
}

std::string FileErrorLine(const std::string& name, const std::string& error) {
  return "File handling ERROR occurred with \"" + name + "\" -- " + error + "\r\n";
}

}  // namespace

TEST(KestrumPosix, OutputThatCannotBeWrittenEndsWithExit71) {
  // Small: the failure shows at the final flush. Large: in the middle of the scan.
  TScratchFile small(NxEntries(3), "small.log");
  TScratchFile large(NxEntries(20000), "large.log");
  struct {
    const char* mode;
    std::vector<std::string> options;
  } modes[] = {{"report", {}}, {"list", {"-L"}}, {"debug", {"-D"}}, {"list and debug", {"-L", "-D"}}};
  for (const auto& m : modes) {
    for (const TScratchFile* file : {&small, &large}) {
      std::vector<std::string> args = {file->Name()};
      args.insert(args.end(), m.options.begin(), m.options.end());
      {
        SCOPED_TRACE(std::string(m.mode) + " to /dev/full, " + file->Name());
        TProcessResult r = RunWithStdoutOn(KESTRUM_EXE, args, "/dev/full");
        EXPECT_EQ(r.ExitCode, KestrumExit::ReadError);
        EXPECT_EQ(r.Err, FileErrorLine(file->Name(), "No space left on device"));
      }
      {
        SCOPED_TRACE(std::string(m.mode) + " to a closed pipe, " + file->Name());
        TProcessResult r = RunWithClosedStdout(KESTRUM_EXE, args);
        EXPECT_EQ(r.ExitCode, KestrumExit::ReadError);
        EXPECT_EQ(r.Err, FileErrorLine(file->Name(), "Broken pipe"));
      }
    }
  }
}

TEST(KestrumPosix, LostExportConfirmationIsNotASuccess) {
  TScratchFile target("", "export-full.txt");
  TProcessResult r = RunWithStdoutOn(KESTRUM_EXE, {"-x", target.Name()}, "/dev/full");
  EXPECT_EQ(r.ExitCode, KestrumExit::WriteError);
  EXPECT_EQ(r.Err, FileErrorLine(target.Name(), "No space left on device"));
}

TEST(KestrumPosix, SyslogFileReplacedByADirectoryAfterTheExistenceTest) {
  // The scan opens whatever stands at the path by then.
  TOutputCapture capture;
  RunOptions = TRunOptions();
  RunOptions.SyslogFileName = std::filesystem::temp_directory_path().string();
  RunOptions.Marker = "<158>";
  std::string error;
  EXPECT_FALSE(ScanSyslogFile(&error));
  EXPECT_EQ(error, "Is a directory");
  EXPECT_EQ(capture.Get(), "");
}

TEST(KestrumPosix, FifoWithoutWriterReadsAsEmpty) {
  TFifo fifo;
  ASSERT_FALSE(fifo.Path.empty());
  TProcessResult r = RunKestrum({fifo.Path});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find(" ERROR: File Did Not Contain Valid Syslog Entries\r\n"), std::string::npos) << r.Out;
}

TEST(KestrumPosix, FifoWithWriterIsRead) {
  TFifo fifo;
  ASSERT_FALSE(fifo.Path.empty());
  // A reader of our own lets the writer open without waiting; the data then
  // waits in the pipe until the program reads it and sees the writer gone.
  int keep = open(fifo.Path.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(keep, 0);
  int writer = open(fifo.Path.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  const std::string data = NxEntry("FromPipe") + NxEntry("frompipe") + NxEntry("Other");
  ASSERT_EQ(write(writer, data.data(), data.size()), static_cast<ssize_t>(data.size()));
  close(writer);
  TProcessResult r = RunKestrum({fifo.Path, "-L"});
  close(keep);
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "FromPipe\r\nfrompipe\r\nOther\r\n");
}

TEST(KestrumPosix, FileCutAndRegrownWhileReadNeitherCrashesNorHangs) {
  const std::string content = NxEntries(200000);
  TScratchFile file(content, "moving.log");
  std::atomic<bool> done{false};
  std::thread mover([&] {
    // Cut it short, then grow it again, over and over while the program reads.
    for (int round = 0; !done; ++round) {
      std::filesystem::resize_file(file.Path, round % 2 ? content.size() / 3 : 0);
      std::ofstream(file.Path, std::ios::binary | std::ios::app) << NxEntry("Late" + std::to_string(round % 7));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  TProcessResult r = RunKestrum({file.Name()});
  done = true;
  mover.join();
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(r.Out.find(" TOTAL SYSLOG ENTRIES FOUND/READ ........ "), std::string::npos) << r.Out.substr(0, 400);
}

TEST(KestrumPosix, SyslogFileSwappedWithADirectoryWhileTheProgramRuns) {
  TScratchFile file(NxEntries(2000), "swapped.log");
  const std::string other = file.Name() + ".dir";
  ASSERT_TRUE(std::filesystem::create_directory(other));
  // The path names the file or the directory, never nothing: each run ends
  // in one of the documented ways, depending on what it met when.
  std::atomic<bool> done{false};
  std::thread swapper([&] {
    while (!done) renameat2(AT_FDCWD, file.Name().c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE);
  });
  const std::string notFound = "ERROR: File Not Found...\r\n";
  const std::string isDirectory = FileErrorLine(file.Name(), "Is a directory");
  int seen[3] = {};
  for (int run = 0; run < 40; ++run) {
    TProcessResult r = RunKestrum({file.Name(), "-L"});
    if (r.ExitCode == KestrumExit::Ok && r.Err.empty()) {
      ++seen[0];
    } else if (r.ExitCode == KestrumExit::FileNotFound && r.Err == notFound) {
      ++seen[1];
    } else if (r.ExitCode == KestrumExit::ReadError && r.Err == isDirectory) {
      ++seen[2];
    } else {
      ADD_FAILURE() << "exit " << r.ExitCode << ", stderr " << r.Err;
    }
  }
  done = true;
  swapper.join();
  // Whichever way round the last swap left them, both go.
  std::filesystem::remove_all(file.Path);
  std::filesystem::remove_all(other);
  RecordProperty("outcomes", std::to_string(seen[0]) + "/" + std::to_string(seen[1]) + "/" + std::to_string(seen[2]));
}

TEST(KestrumPosix, FileTimestampBeyondTheCalendar) {
  // tmpfs keeps any 64-bit time; the date values hold the years 1 to 9999.
  const std::filesystem::path path = "/dev/shm/orvella_far_time_" + std::to_string(getpid()) + ".log";
  {
    std::ofstream f(path, std::ios::binary);
    f << NxEntry("Job");
  }
  struct {
    std::int64_t seconds;
    const char* shown;
  } cases[] = {
      {std::int64_t{1} << 62, "12/30/1899 at 00:00:00"},     // no local time at all
      {std::int64_t{1} << 55, "12/30/1899 at 00:00:00"},     // a year of ten digits
      {-(std::int64_t{1} << 44), "12/30/1899 at 00:00:00"},  // long before year 1
      {253402300799 - 86400 * 3, "12/28/9999 at 23:59:59"},  // days before the last one
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    const timespec when[2] = {{c.seconds, 0}, {c.seconds, 0}};
    if (utimensat(AT_FDCWD, path.c_str(), when, 0) != 0) {
      std::filesystem::remove(path);
      GTEST_SKIP() << "no file system here keeps such a time";
    }
    const TUtcZone utc;
    TProcessResult r = RunKestrum({path.string()});
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    EXPECT_NE(r.Out.find(std::string(" CURRENT SYSLOG TIMESTAMP ............... ") + c.shown + "\r\n"),
              std::string::npos)
        << r.Out;
  }
  std::filesystem::remove(path);
}

// Damaged logs: long runs of NUL bytes (holes in the file, so no disk) with
// no line end, and an entry line of 300 MB. No line is ever held: a long
// one is cut from its pieces as they pass.
TEST(KestrumPosix, DamagedLogsInBoundedMemory) {
  const std::int64_t run = 256 * kMiB;
  struct {
    const char* what;
    std::int64_t size;
    std::vector<std::pair<std::int64_t, std::string>> pieces;
    std::string names;  // the report's name lines, in order
    std::int64_t held;  // what must be held
  } cases[] = {
      {"NUL run, then an entry line",
       run + 200,
       {{0, NxLine("Before") + "\r\n"}, {run, "\r\n" + NxLine("After") + "\r\n"}},
       " Before ................................. 1\r\n After .................................. 1\r\n",
       0},
      {"NUL run and no marker after it",
       run,
       {{0, NxLine("Only") + "\r\n"}},
       " Only ................................... 1\r\n",
       0},
      {"NUL run with the marker after it on its line",
       run + 200,
       {{run, NxLine("Joined") + "\r\n"}},
       " Joined ................................. 1\r\n",
       0},
      {"an entry line of 300 MB",
       300 * kMiB + 10,
       {{0, NxLine("Huge") + " "}, {300 * kMiB, " Tail\r\n"}},
       " Huge ................................... 1\r\n",
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TScratchFile file(c.size, c.pieces, "damaged.log");
    TProcessResult r = RunKestrum({file.Name()});
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    const std::size_t rule = r.Out.find(std::string(80, '=') + "\r\n");
    ASSERT_NE(rule, std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.substr(rule + 82, c.names.size()), c.names);
    if (!kSanitizedBuild) {
      EXPECT_LE(r.PeakMemoryBytes, PeakMemoryLimit(c.held));
    }
  }
}

// What the parallel scan holds stays within what the sequential scan needs,
// on any number of workers: entry lines of 28 MiB and a line of a 256 MiB
// NUL hole ending in an entry cost nothing, long names their size.
TEST(KestrumPosix, ParallelRunsInBoundedMemory) {
  const std::int64_t chunk = 30 * kMiB, line = 28 * kMiB;
  std::vector<std::pair<std::int64_t, std::string>> heldLines;
  for (int c = 0; c < 4; ++c) {
    heldLines.emplace_back(c * chunk, NxLine("Held" + std::to_string(c)) + " ");
    heldLines.emplace_back(c * chunk + line, " Tail\r\n");
  }
  std::string longNames;
  for (int i = 0; i < 10000; ++i) longNames += NxEntry(std::string(4195, 'N') + std::to_string(10000 + i));
  struct {
    const char* what;
    std::int64_t size;
    std::vector<std::pair<std::int64_t, std::string>> pieces;
    std::int64_t chunk;
    std::string shown;  // a line of the report
    std::int64_t held;  // the lines and names that must be held
  } cases[] = {
      {"28 MiB entry lines at four chunk starts", 16 * chunk, heldLines, chunk,
       " Held3 .................................. 1\r\n", 0},
      {"a NUL hole ending in an entry", 256 * kMiB + 200, {{256 * kMiB, NxLine("AfterTheHole") + "\r\n"}}, chunk,
       " AfterTheHole ........................... 1\r\n", 0},
      {"10,000 names of 4,200 bytes",
       static_cast<std::int64_t>(longNames.size()),
       {{0, longNames}},
       4 * kMiB,
       " TOTAL UNIQUE SCRIPTS EXECUTED .......... 10,000\r\n",
       10000 * 4200},
  };
  for (const auto& c : cases) {
    TScratchFile file(c.size, c.pieces, "parallel-memory.log");
    for (int workers : {2, 4}) {
      SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(workers) + " workers");
      TProcessResult r =
          RunProgram(KESTRUM_PLANNED_EXE, {std::to_string(workers), std::to_string(c.chunk), file.Name()});
      EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
      EXPECT_EQ(r.Err, "");
      EXPECT_NE(r.Out.find(c.shown), std::string::npos) << r.Out.substr(0, 600);
      if (!kSanitizedBuild) {
        EXPECT_LE(r.PeakMemoryBytes, PeakMemoryLimit(c.held));
      }
      RecordProperty("peak KiB, " + std::to_string(workers) + " workers", std::to_string(r.PeakMemoryBytes / 1024));
    }
  }
}

// Memory that gives out is a failure of the file work: the file error line
// with the system's wording, exit 71, and what was written stays written.
TEST(KestrumPosix, RunningOutOfMemoryIsAFileError) {
  if (kSanitizedBuild) GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
  const std::int64_t huge = 512 * kMiB;
  // A name that runs through the NUL bytes to the line's end: the tally
  // must keep it whole.
  TScratchFile file(huge, {{0, NxLine("Small") + "\r\n" + NxLine("Huge")}, {huge - 3, "X\r\n"}}, "oom.log");
  TProcessOptions limited;
  limited.MemoryLimitBytes = 256 * kMiB;
  TProcessResult r = RunKestrum({file.Name()}, limited);
  EXPECT_EQ(r.ExitCode, KestrumExit::ReadError);
  EXPECT_EQ(r.Err, FileErrorLine(file.Name(), std::strerror(ENOMEM)));
  EXPECT_EQ(r.Out.substr(0, 26), "Processing NxLog Syslog...");
  EXPECT_EQ(r.Out.find("TOTAL"), std::string::npos) << r.Out;
}
