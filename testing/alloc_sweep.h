// Memory that runs out at each allocation of a whole program run in turn:
// the program's main in this process, from the library's start-up to the
// last flush, with the allocation fault of alloc_fault.h. Each failing run
// must end as a run, with an exit code of the program's list, its output
// cut only after whole lines, and every file it opened closed again.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "alloc_fault.h"
#include "banner.h"
#include "output_capture.h"
#include "platform/platform.h"

// What one run of a program's main in this process left.
struct TMainRun {
  int Code = -1;
  bool Escaped = false;  // an exception left main
  bool Struck = false;   // the fault struck
  std::int64_t Allocations = 0;
  std::string Out, Err;
};

// The files this process holds open; -1 where the system does not tell
// (Windows: the count is not checked there).
inline int OpenFileCount() {
#ifdef _WIN32
  return -1;
#else
  std::error_code ec;
  int count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/fd", ec), end; !ec && it != end; it.increment(ec)) ++count;
  return ec ? -1 : count;
#endif
}

// The allocation numbered failAt (from 1) fails; 0: none does.
inline TMainRun RunMainInProcess(int (*programMain)(int, char**), std::vector<std::string> args, std::int64_t failAt) {
  args.insert(args.begin(), "program");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  TMainRun run;
  TOutputCapture capture;
  // The captured text takes no memory of the run's: a console would not.
  capture.Text.reserve(16 << 20);
  capture.ErrorText.reserve(64 << 10);
  // As in a process of its own: no banner yet, and channels that have
  // never held a line (their first lines take memory).
  BannerShown = false;
  std::string().swap(StdOutChannel().Buffer);
  std::string().swap(ErrorChannel().Buffer);
  {
    TAllocFault fault(failAt, TAllocFault::ThisThread);
    try {
      run.Code = programMain(static_cast<int>(args.size()), argv.data());
    } catch (...) {
      run.Escaped = true;
    }
    run.Allocations = TAllocFault::Counted();
    run.Struck = TAllocFault::Struck();
  }
  run.Out = capture.Get();
  run.Err = capture.GetErrors();
  return run;
}

struct TAllocSweep {
  int (*ProgramMain)(int, char**);
  std::vector<std::string> Args;
  std::vector<int> ExitCodes;         // every code the program documents
  std::vector<int> OutOfMemoryCodes;  // what running out of memory may end with in this run
  int Step = 1;                       // every allocation, or every Step-th
  // Makes two runs' output comparable (the clock, say).
  std::string (*Mask)(const std::string&) = [](const std::string& s) { return s; };
};

// Fails the run's allocations in turn. A failing run prints what the run
// without the fault prints, up to a whole line, and then the one line of
// the out-of-memory report; unless the program did without that memory,
// in which case it ends as the run without the fault does.
inline void SweepAllocations(const TAllocSweep& sweep) {
  const TMainRun clean = RunMainInProcess(sweep.ProgramMain, sweep.Args, 0);
  ASSERT_FALSE(clean.Escaped);
  ASSERT_GT(clean.Allocations, 0);
  const std::string cleanOut = sweep.Mask(clean.Out);
  const std::string oomEnd = "\" -- " + PlatOutOfMemoryText() + "\r\n";
  for (std::int64_t at = 1; at <= clean.Allocations; at += sweep.Step) {
    SCOPED_TRACE("allocation " + std::to_string(at) + " of " + std::to_string(clean.Allocations));
    const int openBefore = OpenFileCount();
    const TMainRun run = RunMainInProcess(sweep.ProgramMain, sweep.Args, at);
    EXPECT_FALSE(run.Escaped);
    EXPECT_NE(std::find(sweep.ExitCodes.begin(), sweep.ExitCodes.end(), run.Code), sweep.ExitCodes.end()) << run.Code;
    const std::string& tail = run.Out.substr(run.Out.size() - std::min<std::size_t>(run.Out.size(), 80));
    EXPECT_TRUE(run.Out.empty() || (tail.size() >= 2 && tail.compare(tail.size() - 2, 2, "\r\n") == 0)) << tail;
    const std::string out = sweep.Mask(run.Out);
    EXPECT_EQ(cleanOut.substr(0, out.size()), out);
    EXPECT_EQ(OpenFileCount(), openBefore);
    const auto& oomCodes = sweep.OutOfMemoryCodes;
    if (!run.Struck || std::find(oomCodes.begin(), oomCodes.end(), run.Code) == oomCodes.end()) {
      EXPECT_EQ(run.Code, clean.Code) << run.Err;
      continue;
    }
    ASSERT_GE(run.Err.size(), oomEnd.size());
    EXPECT_EQ(run.Err.substr(run.Err.size() - oomEnd.size()), oomEnd);
    // One report line, after what went to standard error before it.
    const std::size_t lineStart = run.Err.rfind('\n', run.Err.size() - 3) + 1;
    EXPECT_EQ(run.Err.substr(lineStart, 34), "File handling ERROR occurred with ");
    EXPECT_EQ(clean.Err.substr(0, lineStart), run.Err.substr(0, lineStart));
  }
}
