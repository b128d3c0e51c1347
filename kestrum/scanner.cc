#include "scanner.h"

#include <new>

#include "line_reader.h"
#include "parallel_scan.h"
#include "run_state.h"
#include "scan_pass.h"
#include "tally.h"

namespace {

bool ScanInSequence(TLineReader& reader, const TScanSetup& setup, const TScanHooks& hooks, TTally& tally,
                    TScanResult& result, std::string* err) {
  TScanPass pass(setup, hooks, CountingTable(tally));
  const std::int64_t total = SizeNow(reader);
  TPassStep step = setup.Opt.MaxEntries <= 0 ? TPassStep::AtLimit : TPassStep::Continue;
  TBlock block;
  while (step == TPassStep::Continue && ReadBlock(reader, &block)) {
    step = ScanBlock(pass, block, err);
    AddNamesToTally(tally, pass.Names.data(), pass.At.data(), pass.Names.size());
    if (hooks.Progress) hooks.Progress(ReadSoFar(reader), total);
  }
  if (step == TPassStep::HookFailed) return false;
  if (reader.Failed) {
    *err = reader.ErrorText;
    return false;
  }
  // The last word on how far it read: what came after the last block too
  // (the LF of a CR LF that ended it, say), or all of it once the count
  // limit ends the scan, as the parallel scan tells it.
  if (hooks.Progress) hooks.Progress(step == TPassStep::AtLimit && total >= 0 ? total : ReadSoFar(reader), total);
  result.EntryCount = pass.EntryCount;
  result.FirstEntryDate = pass.FirstEntryDate;
  result.LastEntryDate = pass.LastEntryDate;
  return true;
}

bool FailScan(TLineReader& reader, const std::string& error, std::string* err) {
  *err = error;
  CloseLineReader(reader);
  return false;
}

// The scan of the open file, in parallel where it may be, then its size and
// time, and the file closed.
bool ScanAndClose(TLineReader& reader, const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result,
                 std::string* err) {
  const int workers = ParallelWorkers(reader, setup);
  TTallyPtr tally = NewTally();
  const TParallelOutcome outcome =
      workers > 1 ? ScanInParallel(reader, setup, workers, hooks, *tally, result, err) : TParallelOutcome::NotStarted;
  // A scan that no worker took is read in one pass, into the tally no worker touched.
  if (outcome == TParallelOutcome::Failed ||
      (outcome == TParallelOutcome::NotStarted && !ScanInSequence(reader, setup, hooks, *tally, result, err)))
    return FailScan(reader, *err, err);
  result.Tally = FinishTally(std::move(tally), outcome == TParallelOutcome::Done);
  TLocalTime modified;
  if (!FileSizeOf(reader, &result.FileSize) || !FileModifiedOf(reader, &modified) || !CloseLineReader(reader))
    return FailScan(reader, reader.ErrorText, err);
  result.FileTimestamp = DateTimeOf(modified);
  return true;
}

}  // namespace

bool ScanFile(const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result, std::string* err) {
  result = TScanResult();
  TLineReader reader;
  // The -D breakdown shows every line whole; nothing else needs one so.
  const TLongLines longLines = setup.Opt.Debug ? TLongLines::Whole : TLongLines::InPieces;
  if (!OpenLineReader(reader, setup.Opt.SyslogFileName, longLines)) return FailScan(reader, reader.ErrorText, err);
  try {
    return ScanAndClose(reader, setup, hooks, result, err);
  } catch (const std::bad_alloc&) {
    CloseLineReader(reader);  // the file goes back before the failure is told
    throw;
  }
}
