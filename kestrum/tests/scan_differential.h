// The scan run in this process with a given plan (workers, chunk size, read
// buffer), and all it shows: the progress text, the report and the result.
// The parallel scan must give exactly what the sequential one gives.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "channels.h"
#include "line_reader.h"
#include "parallel_scan.h"
#include "report.h"
#include "run_state.h"
#include "scan_output.h"
#include "syslog_profiles.h"
#include "tally.h"

struct TScanRun {
  bool Ok = false;
  std::string Error;
  std::string Shown;  // progress text and report, as printed
  std::int64_t Entries = 0;
  std::string FirstDate, LastDate;

  bool operator==(const TScanRun&) const = default;
  // What a failed comparison shows.
  friend void PrintTo(const TScanRun& r, std::ostream* os) {
    *os << (r.Ok ? "ok" : "failed: " + r.Error) << ", " << r.Entries << " entries, first \"" << r.FirstDate
        << "\", last \"" << r.LastDate << "\"\n"
        << r.Shown;
  }
};

// workers 1: the sequential scan. The options and the profile are the
// run's (RunOptions, CurrentSyslogConfig), set by the caller.
inline TScanRun RunScanWith(int workers, std::int64_t chunkSize, std::size_t bufferSize) {
  TScanRun run;
  const TParallelPlan saved = ParallelPlan;
  ParallelPlan = TParallelPlan{0, chunkSize, workers};
  LineReaderBufferSize = bufferSize;
  std::string* const before = StdOutChannel().Capture;
  StdOutChannel().Capture = &run.Shown;
  ResetTally();
  run.Ok = ScanSyslogFile(&run.Error);
  if (run.Ok) {
    SortTallyFor(RunOptions.SortByName, RunOptions.SortByCount, ScanResult.Workers);
    PrintReport();
  }
  FlushAll();
  StdOutChannel().Capture = before;
  LineReaderBufferSize = kReadBufferSize;
  ParallelPlan = saved;
  run.Entries = ScanResult.EntryCount;
  run.FirstDate = ScanResult.FirstEntryDate;
  run.LastDate = ScanResult.LastEntryDate;
  return run;
}
