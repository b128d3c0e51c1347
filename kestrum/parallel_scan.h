// The scan of one large regular file by several workers. The file is cut
// into chunks; each worker takes the next chunk, reads the lines that start
// in it at offsets into its own buffer, and tallies into a share of its own,
// which it merges into the run's tally now and then. The chunks' results
// are put together into exactly what the sequential scan gives, failures
// and the count limit included: of failures, the one earliest in the file
// counts; the progress text goes out only when the sequential scan would
// have printed it; and no chunk counts past the entry where the sequential
// scan stops.
#pragma once

#include <string>

#include "line_reader.h"
#include "run_state.h"
#include "scan_pass.h"

// The plan the program's scans are split by: the usual one, unless a test
// program forces another (TPlanSeam).
TParallelPlan ProgramPlan();

// For a test program that runs the whole driver: while it lives, the
// program's scans are split by the given plan.
struct TPlanSeam {
  explicit TPlanSeam(const TParallelPlan& plan);
  ~TPlanSeam();
  TPlanSeam(const TPlanSeam&) = delete;
  TPlanSeam& operator=(const TPlanSeam&) = delete;
  TParallelPlan Saved;
};

// How many workers the scan of the reader's file gets; 1: the sequential
// scan. Files that are not regular, small files, runs that print in file
// order or stop at a given count (-L, -D, -M), and markers longer than a
// read stay sequential.
int ParallelWorkers(const TLineReader& reader, const TScanSetup& setup);

enum class TParallelOutcome { Done, Failed, NotStarted };

// The scan by that many workers, with only the hooks for the first entry
// (called as soon as the file's first entry is known) and for progress.
// Done: the result and the tally are filled (the tally not yet finished). Failed: the earliest
// file error or the failed hook, in *err. NotStarted: no worker could be
// started. Running out of memory, here or in a worker, throws bad_alloc
// once every worker has ended.
TParallelOutcome ScanInParallel(const TLineReader& reader, const TScanSetup& setup, int workers,
                                const TScanHooks& hooks, TTally& tally, TScanResult& result, std::string* err);
