#include "parallel_scan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "scan_pass.h"
#include "tally.h"
#include "thread_group.h"

TParallelPlan ParallelPlan;

namespace {

// Chunks small enough that the workers finish close together (within a few
// milliseconds on bench/run's 1 GB files), and large enough that cutting
// costs nothing.
constexpr std::int64_t kMinChunk = std::int64_t{4} << 20;
constexpr int kChunksPerWorker = 8;
constexpr std::size_t kNoChunk = std::numeric_limits<std::size_t>::max();

// What became of one chunk.
struct TChunkResult {
  bool FirstKnown = false;  // a line with the marker was met; FirstEntryDate is its date
  bool Done = false;        // scanned to its end
  bool Failed = false;      // ended by Error, or by running out of memory, after what FirstKnown tells
  bool OutOfMemory = false;
  std::int64_t EntryCount = 0;
  std::string FirstEntryDate, LastEntryDate, Error;
};

struct TShared {
  TShared(const TScanSetup& setup, TPlatHandle file) : Setup(setup), File(file) {}
  // Constant while the workers run.
  const TScanSetup& Setup;
  const TPlatHandle File;
  std::vector<std::int64_t> Starts;  // chunk k: the lines that start in [Starts[k], Starts[k + 1])
  // Read by the workers without the lock.
  std::atomic<std::size_t> Next{0};  // the next chunk to take
  // The chunks after the earliest failed one are not wanted; those before
  // it are scanned to their ends, as the sequential scan would have read
  // them first.
  std::atomic<std::size_t> FirstFailed{kNoChunk};
  std::atomic<bool> StopAll{false};        // the run ends anyway: a failed hook, or the main thread's way out
  std::atomic<std::int64_t> BytesDone{0};  // for the progress line
  TLineBudget Budget;
  // State below is guarded by Lock; Changed tells of every change.
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<TChunkResult> Results;
  int Running = 0;  // workers started and not yet done
};

bool Unwanted(const TShared& sh, std::size_t k) { return sh.StopAll || sh.FirstFailed < k; }

// The first entry of chunk k, for the main thread to announce. The date is
// copied before the flag is set, so that the flag never stands without it.
void PublishFirst(TShared& sh, std::size_t k, const std::string& date) {
  std::string copy = date;
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    sh.Results[k].FirstEntryDate.swap(copy);
    sh.Results[k].FirstKnown = true;
  }
  sh.Changed.notify_all();
}

void PublishEnd(TShared& sh, std::size_t k, TChunkResult&& result) {
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    TChunkResult& r = sh.Results[k];
    // A worker that failed before it took a chunk failed the first one.
    result.Failed = r.Failed;
    result.OutOfMemory = r.OutOfMemory;
    result.Error.swap(r.Error);
    r = std::move(result);
  }
  sh.Changed.notify_all();
}

void MarkFailed(TShared& sh, std::size_t k, std::string&& error, bool outOfMemory) {
  std::size_t first = sh.FirstFailed;
  while (k < first && !sh.FirstFailed.compare_exchange_weak(first, k)) {
  }
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    TChunkResult& r = sh.Results[k];
    // A chunk has one failure: the first its worker met.
    if (!r.Failed) {
      r.Failed = true;
      r.OutOfMemory = outOfMemory;
      r.Error = std::move(error);
    }
  }
  sh.Changed.notify_all();
}

// The bytes a chunk has read, added up over the workers for the progress
// line. Bytes past the chunk's end are the next chunk's to count.
struct TCounted {
  std::atomic<std::int64_t>& Done;
  std::int64_t At, End;
};

void CountTo(TCounted& c, std::int64_t position) {
  position = std::min(position, c.End);
  if (position <= c.At) return;
  c.Done += position - c.At;
  c.At = position;
}

void ScanChunk(TShared& sh, std::size_t k, TPlatHandle handle, TWorkerTally& share) {
  const std::int64_t limit = k + 1 < sh.Starts.size() ? sh.Starts[k + 1] : kNoLimit;
  struct TAsk {
    const TShared& Sh;
    std::size_t K;
  } ask{sh, k};
  const TReadCancel cancel{[](const void* context) {
                             const auto* a = static_cast<const TAsk*>(context);
                             return Unwanted(a->Sh, a->K);
                           },
                           &ask};
  TLineReader reader;
  if (OpenLineRange(reader, handle, sh.Starts[k], limit, cancel)) {
    const TScanHooks none;
    const TNameSink toShare{[](void* context, const std::string_view* names, const std::int64_t* at, std::size_t n) {
                              AddNamesForWorker(*static_cast<TWorkerTally*>(context), names, at, n);
                            },
                            &share};
    TCounted counted{sh.BytesDone, sh.Starts[k], limit};
    const TPositionSink toCount{
        [](void* context, std::int64_t position) { CountTo(*static_cast<TCounted*>(context), position); }, &counted};
    TScanPass pass(sh.Setup.Opt, sh.Setup.Profile, none, toShare, toCount);
    pass.Budget = &sh.Budget;
    TStep step = TStep::Go;
    std::string err;
    bool told = false;
    while (ScanNextBlock(pass, reader, &step, &err)) {
      if (!told && pass.SawMarker) {
        told = true;
        PublishFirst(sh, k, pass.FirstEntryDate);
      }
    }
    if (!reader.Failed) {
      CountTo(counted, reader.BufferAt + static_cast<std::int64_t>(reader.End));
      TChunkResult r;
      r.Done = true;
      r.FirstKnown = pass.SawMarker;
      r.EntryCount = pass.EntryCount;
      r.FirstEntryDate = std::move(pass.FirstEntryDate);
      r.LastEntryDate = std::move(pass.LastEntryDate);
      PublishEnd(sh, k, std::move(r));
      return;
    }
  }
  // A chunk nobody wants any more just ends.
  if (!reader.Cancelled) MarkFailed(sh, k, std::move(reader.ErrorText), false);
}

void Work(TShared& sh) {
  // A handle of its own where the system gives one: reads at offsets on a
  // shared handle may wait for each other.
  TPlatHandle handle = sh.File;
  std::string ignored;
  const bool own = PlatReopenRead(sh.File, &handle, &ignored);
  if (!own) handle = sh.File;
  std::size_t last = 0;  // the chunk scanned last; failing before any fails the first
  try {
    TWorkerTallyPtr share = NewWorkerTally();
    for (std::size_t k; (k = sh.Next++) < sh.Results.size() && !Unwanted(sh, k);) {
      last = k;
      ScanChunk(sh, k, handle, *share);
    }
    // Names of a run that fails anyway need not be merged.
    if (sh.FirstFailed == kNoChunk && !sh.StopAll) FlushWorkerTally(*share);
  } catch (const std::bad_alloc&) {
    MarkFailed(sh, last, std::string(), true);
  }
  if (own) PlatClose(handle, &ignored);
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    --sh.Running;
  }
  sh.Changed.notify_all();
}

// How many workers started; those do all the chunks between them.
int StartWorkers(TShared& sh, TThreadGroup& group, int workers) {
  int started = 0;
  for (; started < workers; ++started) {
    {
      std::lock_guard<std::mutex> lock(sh.Lock);
      ++sh.Running;
    }
    if (!StartInGroup(group, [&sh] { Work(sh); })) {
      std::lock_guard<std::mutex> lock(sh.Lock);
      --sh.Running;
      break;
    }
  }
  return started;
}

// Until the workers are done: the progress text as soon as the sequential
// scan would have printed it (the first chunk with a marker line, all
// before it done without one and none of them failed), and the progress
// line. False when the hook failed, with its *err.
bool FollowWorkers(TShared& sh, const TScanHooks& hooks, std::int64_t size, std::string* err) {
  bool pending = hooks.FirstEntry != nullptr;
  bool hookOk = true;
  std::size_t k = 0;
  std::unique_lock<std::mutex> lock(sh.Lock);
  for (;;) {
    while (pending && k < sh.Results.size()) {
      const TChunkResult& r = sh.Results[k];
      if (r.FirstKnown) {
        pending = false;
        const std::string date = r.FirstEntryDate;
        lock.unlock();
        hookOk = hooks.FirstEntry(date, err);
        if (!hookOk) sh.StopAll = true;
        lock.lock();
      } else if (r.Failed) {
        pending = false;  // the scan fails before its first entry
      } else if (r.Done) {
        ++k;
      } else {
        break;
      }
    }
    if (sh.Running == 0) return hookOk;
    if (hooks.Progress && hookOk) {
      lock.unlock();
      hooks.Progress(sh.BytesDone, size);
      lock.lock();
    }
    sh.Changed.wait_for(lock, std::chrono::milliseconds(250));
  }
}

const TChunkResult* EarliestFailure(const TShared& sh) {
  for (const TChunkResult& r : sh.Results)
    if (r.Failed) return &r;
  return nullptr;
}

void CombineResults(const TShared& sh, TScanResult& result) {
  bool first = true;
  for (const TChunkResult& r : sh.Results) {
    result.EntryCount += r.EntryCount;
    if (!r.FirstKnown) continue;
    if (first) result.FirstEntryDate = r.FirstEntryDate;
    first = false;
    result.LastEntryDate = r.LastEntryDate;
  }
  if (first) result.LastEntryDate = EntryDateText(std::string_view(), sh.Setup.Profile);
}

std::int64_t ChunkSize(std::int64_t size, int workers, const TParallelPlan& plan) {
  if (plan.ChunkSize > 0) return plan.ChunkSize;
  return std::max(kMinChunk, size / (std::int64_t{workers} * kChunksPerWorker) + 1);
}

// The chunk starts: at the file's start and at every chunk size after it.
std::vector<std::int64_t> ChunkStarts(std::int64_t size, int workers, const TParallelPlan& plan) {
  const std::int64_t chunk = ChunkSize(size, workers, plan);
  std::vector<std::int64_t> starts;
  for (std::int64_t at = 0; at < size || starts.empty(); at += chunk) starts.push_back(at);
  return starts;
}

}  // namespace

int ParallelWorkers(const TLineReader& reader, const TScanSetup& setup) {
  const TRunOptions& opt = setup.Opt;
  if (!reader.ReadsAtOffsets || opt.ListOnly || opt.Debug || opt.MaxGiven) return 1;
  const std::int64_t size = SizeNow(reader);
  if (size < setup.Plan.MinFileSize || size <= 0) return 1;
  const int cpus = setup.Plan.Workers > 0 ? setup.Plan.Workers : PlatUsableProcessors();
  const std::int64_t chunk = ChunkSize(size, cpus, setup.Plan), chunks = (size + chunk - 1) / chunk;
  return static_cast<int>(std::min<std::int64_t>(cpus, chunks));
}

TParallelOutcome ScanInParallel(const TLineReader& reader, const TScanSetup& setup, int workers,
                                const TScanHooks& hooks, TScanResult& result, std::string* err) {
  TShared sh(setup, reader.Handle);
  // Bytes appended while the scan runs are read by the last chunk, which
  // goes on to the end as the sequential scan would.
  const std::int64_t size = SizeNow(reader);
  sh.Starts = ChunkStarts(size, workers, setup.Plan);
  sh.Results.resize(sh.Starts.size());
  // After what the workers use, so that on any way out it stops and joins
  // them before that goes.
  TThreadGroup group(workers, [&sh] { sh.StopAll = true; });
  if (StartWorkers(sh, group, workers) == 0) return TParallelOutcome::NotStarted;
  const bool hookOk = FollowWorkers(sh, hooks, size, err);
  JoinGroup(group);
  if (!hookOk) return TParallelOutcome::Failed;
  if (const TChunkResult* failed = EarliestFailure(sh)) {
    if (failed->OutOfMemory) throw std::bad_alloc();
    *err = failed->Error;
    return TParallelOutcome::Failed;
  }
  // The line's last word, as the sequential scan's last block gives it.
  if (hooks.Progress) hooks.Progress(sh.BytesDone, size);
  CombineResults(sh, result);
  result.Workers = workers;
  FinishTally(true, workers);
  return TParallelOutcome::Done;
}
