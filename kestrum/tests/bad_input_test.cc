// Input nobody planned for: faults while the file is read, and files and
// command lines of a shape no syslog server writes. None of it may crash,
// hang, or end in success when the run failed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "alloc_sweep.h"
#include "driver.h"
#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "platform/platform.h"
#include "read_fault.h"
#include "run_state.h"
#include "startup.h"
#include "test_files.h"
#include "validation.h"

namespace {

const char kNoEntries[] = " ERROR: File Did Not Contain Valid Syslog Entries\r\n";

// Entries enough for several reads of the line reader.
std::string ManyEntries(const std::string& name, int count) {
  std::string content;
  for (int i = 0; i < count; ++i) content += NxEntry(name);
  return content;
}

std::string CountLine(const std::string& label, const std::string& value) {
  std::string lead = " " + label + " ";
  lead += std::string(41 - lead.size(), '.');
  return lead + " " + value + "\r\n";
}

// The driver in this process on the given command line, output captured.
struct TInProcessRun {
  TOutputCapture Capture;
  std::string Out, Err;
  int Code = -1;
  void Run(const TStringArray& args) {
    ResetParamEngine(args);
    RunKestrum();
    Code = ExitCode;
    Out = Capture.Get();
    Err = Capture.GetErrors();
  }
};

}  // namespace

// A read that fails, or memory that gives out, halfway through the file.
TEST(KestrumBadInput, FileWorkFailsInTheMiddleOfTheFile) {
  const int half = static_cast<int>(kReadBufferSize / 50);
  const std::string content = ManyEntries("Early", half) + ManyEntries("Late", half);
  ASSERT_GT(content.size(), 2 * kReadBufferSize);
  TScratchFile file(content, "midfail.log");
  for (bool outOfMemory : {false, true}) {
    SCOPED_TRACE(outOfMemory);
    TReadFault fault(2, "Input/output error", outOfMemory);
    TInProcessRun run;
    run.Run({file.Name()});
    EXPECT_EQ(run.Code, KestrumExit::ReadError);
    EXPECT_EQ(run.Err, "File handling ERROR occurred with \"" + file.Name() + "\" -- " +
                           (outOfMemory ? PlatOutOfMemoryText() : "Input/output error") + "\r\n");
    // The progress lines went out with the first entry; no report follows them.
    EXPECT_EQ(run.Out.substr(0, 26), "Processing NxLog Syslog...");
    EXPECT_EQ(run.Out.find("TOTAL"), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("Start Time"), std::string::npos) << run.Out;
    EXPECT_EQ(TReadFault::Reads, 2);
  }
}

TEST(KestrumBadInput, ReadErrorInListModeKeepsTheExitCode) {
  TScratchFile file(ManyEntries("Listed", static_cast<int>(kReadBufferSize / 25)), "midfail-list.log");
  TReadFault fault(3);
  TInProcessRun run;
  run.Run({file.Name(), "-L"});
  EXPECT_EQ(run.Code, KestrumExit::ReadError);
  EXPECT_EQ(run.Err, "File handling ERROR occurred with \"" + file.Name() + "\" -- Input/output error\r\n");
}

TEST(KestrumBadInput, FileCutShortWhileReadEndsWhereTheFileNowEnds) {
  // The first read takes exactly the entries and a filler line.
  std::string content = ManyEntries("Kept", 800);
  content += std::string(kReadBufferSize - content.size() - 2, '-') + "\r\n";
  ASSERT_EQ(content.size(), kReadBufferSize);
  content += ManyEntries("Gone", 1000);
  TScratchFile file(content, "cut.log");
  TReadFault fault(0);
  TReadFault::BeforeRead = [&](int read, std::int64_t) {
    if (read == 2) std::filesystem::resize_file(file.Path, 1000);
  };
  TInProcessRun run;
  run.Run({file.Name()});
  EXPECT_EQ(run.Code, KestrumExit::Ok);
  EXPECT_EQ(run.Err, "");
  EXPECT_NE(run.Out.find(CountLine("Kept", "800")), std::string::npos) << run.Out;
  EXPECT_EQ(run.Out.find("Gone"), std::string::npos);
  EXPECT_NE(run.Out.find(CountLine("CURRENT SYSLOG FILESIZE (in bytes)", "1,000")), std::string::npos) << run.Out;
}

TEST(KestrumBadInput, FileGrowingWhileReadIsReadToItsNewEnd) {
  const std::string content = ManyEntries("Old", 1000);
  const std::string added = ManyEntries("New", 700);
  TScratchFile file(content, "grow.log");
  TReadFault fault(0);
  TReadFault::BeforeRead = [&](int read, std::int64_t) {
    if (read == 2) std::ofstream(file.Path, std::ios::binary | std::ios::app) << added;
  };
  TInProcessRun run;
  run.Run({file.Name()});
  EXPECT_EQ(run.Code, KestrumExit::Ok);
  EXPECT_EQ(run.Err, "");
  EXPECT_NE(run.Out.find(CountLine("Old", "1,000")), std::string::npos) << run.Out;
  // Counts stand right-aligned under the total, 1,700.
  EXPECT_NE(run.Out.find(CountLine("New", "  700")), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find(CountLine("CURRENT SYSLOG FILESIZE (in bytes)",
                                   FormatGrouped(static_cast<std::int64_t>(content.size() + added.size())))),
            std::string::npos);
}

TEST(KestrumBadInput, HundredMegabyteLine) {
  std::string content = NxEntry("Before");
  content += "<158>1 2026-12-07 08:00:00 SRV ORVELLA - - [MAJOR] Script: Huge Dec 07 ";
  content.append(100 * 1000 * 1000, 'x');
  content += "\r\n" + NxEntry("After");
  TScratchFile file(content, "huge-line.log");
  content.clear();
  content.shrink_to_fit();
  TProcessResult r = RunKestrum({file.Name(), "-L"});
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Out, "Before\r\nHuge\r\nAfter\r\n");
}

TEST(KestrumBadInput, FilesOfNothingButOneByte) {
  struct {
    const char* what;
    std::string content;
  } cases[] = {
      {"only CRs", std::string(1000000, '\r')},
      {"only LFs", std::string(1000000, '\n')},
      {"only NULs", std::string(1000000, '\0')},
      {"only Ctrl-Z", std::string(100000, '\x1A')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TScratchFile file(c.content, "one-byte.log");
    TProcessResult r = RunKestrum({file.Name()});
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    EXPECT_NE(r.Out.find(kNoEntries), std::string::npos) << r.Out.substr(0, 300);
  }
}

TEST(KestrumBadInput, RandomBytes) {
  std::mt19937 random(20261207);
  std::string content(4 * 1000 * 1000, '\0');
  for (char& c : content) c = static_cast<char>(random() & 0xFF);
  // Entries too: the marker among the noise, and a marker byte common in it.
  for (std::size_t at = 997; at + 5 < content.size(); at += 7919) content.replace(at, 5, "<158>");
  TScratchFile file(content, "random.log");
  const std::vector<std::vector<std::string>> commandLines = {
      {file.Name()}, {file.Name(), "-L", "-D"}, {file.Name(), "--TF", "-N"}, {file.Name(), "-c", "\x7F", "-a"}};
  for (const auto& args : commandLines) {
    SCOPED_TRACE(::testing::PrintToString(args));
    TProcessResult r = RunKestrum(args);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Err, "");
    EXPECT_FALSE(r.Out.empty());
  }
}

TEST(KestrumBadInput, TenThousandArguments) {
  // Three characters each on the command line, so they also fit the 32,767
  // characters Windows allows.
  TScratchFile file(NxEntry("Job"), "args.log");
  struct {
    const char* what;
    std::string argument, listed;
  } cases[] = {
      {"a switch given again and again", "-a", "-a "},
      {"empty arguments", "", "\"\" "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {file.Name(), "-a"};
    std::string listed;
    for (int i = 1; i < 10000; ++i) {
      args.push_back(c.argument);
      listed += c.listed;
    }
    TProcessResult r = RunKestrum(args);
    EXPECT_EQ(r.ExitCode, KestrumExit::InvalidParameters);
    EXPECT_NE(r.Err.find("Invalid Parameters Provided: " + listed + "\r\n"), std::string::npos);
    EXPECT_EQ(r.Out, "");
  }
}

// Memory that runs out at any allocation of a whole run, start-up and last
// flush included, on each way a run goes: the scan and report of a 20,000
// line file, a syntax error, the help, the export, a --CS layout and the
// debug blocks.
TEST(KestrumBadInput, MemoryRunningOutAnywhereInARun) {
  std::string content;
  for (int i = 0; i < 20000; ++i)
    content += i % 10 == 9 ? "<134>1 2026-12-07 08:00:00 SRV heartbeat\r\n" : NxEntry("Job" + std::to_string(i % 60));
  TScratchFile file(content, "sweep.log");
  TScratchFile small(ManyEntries("Few", 3), "sweep-small.log");
  TScratchFile config("[MAJOR]| |3| |10| |1\r\n", "sweep.cfg");
  TScratchFile target("", "sweep-export.txt");
  using namespace KestrumExit;
  struct {
    std::vector<std::string> args;
    std::vector<int> outOfMemory;  // 72 only once the export runs
  } cases[] = {
      {{file.Name()}, {ReadError}},
      {{small.Name(), "-q", "-V"}, {ReadError}},
      {{"-?"}, {ReadError}},
      {{"-x", target.Name(), "-B"}, {ReadError, WriteError}},
      {{small.Name(), "--CS", config.Name(), "-L"}, {ReadError}},
      {{small.Name(), "-D", "-A"}, {ReadError}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    SweepAllocations(
        {KestrumMain,
         c.args,
         {Ok, MissingParameters, InvalidParameters, NoSearchText, FileNotFound, ReadError, WriteError, HelpShown},
         c.outOfMemory,
         1,
         [](const std::string& out) { return MaskClock(out); }});
  }
}
