#include "scanner.h"

#include <new>

#include "line_reader.h"
#include "parallel_scan.h"
#include "run_state.h"
#include "scan_pass.h"
#include "syslog_profiles.h"
#include "tally.h"

namespace {

// The progress hook with the size at the start, for the pass to call.
struct TProgressTo {
  const TScanHooks& Hooks;
  std::int64_t Total;
};

bool ScanInSequence(TLineReader& reader, const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result,
                    std::string* err) {
  const TNameSink toRunTally{[](void*, const std::string_view* names, const std::int64_t* at, std::size_t n) {
                               AddNamesToTally(names, at, n);
                             },
                             nullptr};
  TProgressTo progress{hooks, SizeNow(reader)};
  const TPositionSink toProgress{[](void* context, std::int64_t position) {
                                   const auto* p = static_cast<const TProgressTo*>(context);
                                   p->Hooks.Progress(position, p->Total);
                                 },
                                 &progress};
  TScanPass pass(setup.Opt, setup.Profile, hooks, toRunTally,
                 hooks.Progress ? toProgress : TPositionSink{nullptr, nullptr});
  TStep step = setup.Opt.MaxEntries <= 0 ? TStep::LimitReached : TStep::Go;
  while (step == TStep::Go && ScanNextBlock(pass, reader, &step, err)) {
  }
  if (step == TStep::HookFailed) return false;
  if (reader.Failed) {
    *err = reader.ErrorText;
    return false;
  }
  // The last word on how far it read: what came after the last block too
  // (the LF of a CR LF that ended it, say), as the parallel scan tells it.
  if (hooks.Progress) hooks.Progress(reader.BufferAt + static_cast<std::int64_t>(reader.End), progress.Total);
  result.EntryCount = pass.EntryCount;
  result.FirstEntryDate = pass.FirstEntryDate;
  result.LastEntryDate = pass.LastEntryDate;
  // The tally cut to the names it holds.
  FinishTally(false);
  return true;
}

bool FailScan(TLineReader& reader, const std::string& error, std::string* err) {
  *err = error;
  CloseLineReader(reader);
  return false;
}

// The scan of the open file, in parallel where it may be, and its size and
// time.
bool ScanOpenLog(TLineReader& reader, const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result,
                 std::string* err) {
  const int workers = ParallelWorkers(reader, setup);
  TParallelOutcome outcome = TParallelOutcome::NotStarted;
  if (workers > 1) outcome = ScanInParallel(reader, setup, workers, hooks, result, err);
  if (outcome == TParallelOutcome::Failed) return FailScan(reader, *err, err);
  TScanHooks again = hooks;
  if (outcome == TParallelOutcome::Done && result.EntryCount >= setup.Opt.MaxEntries) {
    // The count limit holds without -M too (2147483647 entries): only the
    // sequential scan knows where it stops. Rare enough to read it all
    // again; the progress text is out already. The workers read on handles
    // of their own: the reader is still at the start.
    ResetTally();
    result = TScanResult();
    again.FirstEntry = nullptr;
    outcome = TParallelOutcome::NotStarted;
  }
  if (outcome == TParallelOutcome::NotStarted && !ScanInSequence(reader, setup, again, result, err))
    return FailScan(reader, *err, err);

  TLocalTime modified;
  if (!FileSizeOf(reader, &result.FileSize) || !FileModifiedOf(reader, &modified) || !CloseLineReader(reader))
    return FailScan(reader, reader.ErrorText, err);
  result.FileTimestamp = DateTimeOf(modified);
  return true;
}

}  // namespace

bool ScanLog(const TScanHooks& hooks, std::string* err) {
  TScanResult& result = ScanResult;
  result = TScanResult();
  const TScanSetup setup{RunOptions, CurrentSyslogConfig, ParallelPlan};
  TLineReader reader;
  if (!OpenLineReader(reader, RunOptions.SyslogFileName)) return FailScan(reader, reader.ErrorText, err);
  try {
    return ScanOpenLog(reader, setup, hooks, result, err);
  } catch (const std::bad_alloc&) {
    CloseLineReader(reader);  // the file goes back before the failure is told
    throw;
  }
}
