// The scan run in this process with a given plan (workers, chunk size, read
// buffer), and all it shows: the progress text, the report and the result,
// or how it failed. The parallel scan must give exactly what the sequential
// one gives.
#pragma once

#include <cstdint>
#include <functional>
#include <new>
#include <ostream>
#include <string>

#include "channels.h"
#include "line_reader.h"
#include "output_capture.h"
#include "parallel_scan.h"
#include "report.h"
#include "run_state.h"
#include "scan_output.h"
#include "scanner.h"
#include "syslog_profiles.h"
#include "tally.h"

// The error of a run that ran out of memory, which the program reports
// with the system's wording.
inline const std::string kOutOfMemory = "<out of memory>";

struct TScanRun {
  bool Ok = false;
  std::string Error;
  std::string Shown;  // progress text and report, as printed
  std::int64_t Entries = 0;
  std::string FirstDate, LastDate;
  std::int64_t LastProgress = -1;  // the bytes read, as last told; a good run tells the file's size

  bool operator==(const TScanRun&) const = default;
  // What a failed comparison shows.
  friend void PrintTo(const TScanRun& r, std::ostream* os) {
    *os << (r.Ok ? "ok" : "failed: " + r.Error) << ", " << r.Entries << " entries, first \"" << r.FirstDate
        << "\", last \"" << r.LastDate << "\", progress " << r.LastProgress << "\n"
        << r.Shown;
  }
};

// How the scan is called: ScanFile itself, or with something set up just
// around it (a fault, say).
typedef std::function<bool(const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result, std::string* err)>
    TScanCall;

// workers 1: the sequential scan. The options and the profile are the
// run's (RunOptions, CurrentSyslogConfig), set by the caller. The cuts
// use the given scan width at most, so that the plain one can be held
// against the vector ones.
inline TScanRun RunScanWith(int workers, std::int64_t chunkSize, std::size_t bufferSize,
                            const TScanCall& scan = ScanFile, TScanWidth width = kScanAvx2) {
  TScanRun run;
  TScanSetup setup(RunOptions, CurrentSyslogConfig, TParallelPlan{0, chunkSize, workers});
  setup.First.Width = setup.Second.Width = setup.DateSet.Width = width;
  const TReadSeam buffer(nullptr, bufferSize);
  TOutputCapture capture;
  static std::int64_t lastProgress;
  lastProgress = -1;
  TScanHooks hooks = RunScanHooks();
  hooks.Progress = [](std::int64_t done, std::int64_t) { lastProgress = done; };
  try {
    run.Ok = scan(setup, hooks, ScanResult, &run.Error);
    if (run.Ok) {
      SortTallyFor(ScanResult.Tally, RunOptions.SortByName, RunOptions.SortByCount);
      PrintReport();
    }
  } catch (const std::bad_alloc&) {
    // As the program does: the tally goes, the failure is told.
    ScanResult.Tally = TFinishedTally();
    run.Ok = false;
    run.Error = kOutOfMemory;
  }
  run.Shown = capture.Get();
  run.Entries = ScanResult.EntryCount;
  run.FirstDate = ScanResult.FirstEntryDate;
  run.LastDate = ScanResult.LastEntryDate;
  if (run.Ok) run.LastProgress = lastProgress;
  return run;
}
