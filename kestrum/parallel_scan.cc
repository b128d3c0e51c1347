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

#include "invariants.h"
#include "tally.h"
#include "thread_group.h"

namespace {

// The plan of the program's scans, changed only by a TPlanSeam.
TParallelPlan gProgramPlan;

// Chunks small enough that the workers finish close together (within a few
// milliseconds on bench/run's 1 GB files), and large enough that cutting
// costs nothing.
constexpr std::int64_t kMinChunk = std::int64_t{4} << 20;
constexpr int kChunksPerWorker = 8;
constexpr std::size_t kNoChunk = std::numeric_limits<std::size_t>::max();
// How long the main thread waits for news before it updates the progress
// line: four times a second is smooth to the eye and costs nothing.
constexpr auto kProgressEvery = std::chrono::milliseconds(250);

// How a chunk ended: not yet; read to its end, or to the entry where the
// count limit stops the scan; by Error; by running out of memory.
enum class TChunkEnd { Open, Done, Failed, OutOfMemory };

// What became of one chunk.
// Invariants: Error only with the end Failed; FirstKnown (with its
// FirstEntryDate) may stand with any end.
struct TChunkResult {
  bool FirstKnown = false;  // a line with the marker was met; FirstEntryDate is its date
  TChunkEnd End = TChunkEnd::Open;
  std::int64_t EntryCount = 0;
  std::string FirstEntryDate, LastEntryDate, Error;
};

bool HasFailed(const TChunkResult& r) { return r.End == TChunkEnd::Failed || r.End == TChunkEnd::OutOfMemory; }

void CheckChunkResult(const TChunkResult& r) { ORVELLA_INVARIANT(r.Error.empty() || r.End == TChunkEnd::Failed); }

// The scan's state shared by the workers and the main thread.
struct TChunkedScan {
  TChunkedScan(const TScanSetup& setup, TPlatHandle file, TTally& tally) : Setup(setup), File(file), Tally(tally) {}
  // Constant while the workers run.
  const TScanSetup& Setup;
  const TPlatHandle File;
  TTally& Tally;                     // where the workers' shares are merged
  std::vector<std::int64_t> Starts;  // chunk k: the lines that start in [Starts[k], Starts[k + 1])
  // Read by the workers without the lock.
  std::atomic<std::size_t> Next{0};  // the next chunk to take
  // The chunks after this one are not wanted: it is the earliest that failed
  // or where the count limit stops the scan. Those before are read to their
  // ends, as the sequential scan would have read them first.
  std::atomic<std::size_t> LastWanted{kNoChunk};
  std::atomic<bool> StopAll{false};        // the run ends anyway: a failed hook, or the main thread's way out
  std::atomic<std::int64_t> BytesDone{0};  // for the progress line
  // State below is guarded by Lock; Changed tells of every change.
  std::mutex Lock;
  std::condition_variable Changed;
  std::vector<TChunkResult> Results;
  int Running = 0;  // workers started and not yet done
  // The chunks before DoneThrough are all done, and hold EntriesThrough
  // entries.
  std::size_t DoneThrough = 0;
  std::int64_t EntriesThrough = 0;
};

bool Unwanted(const TChunkedScan& sh, std::size_t k) { return sh.StopAll || sh.LastWanted < k; }

void LowerTo(std::atomic<std::size_t>& chunk, std::size_t k) {
  std::size_t now = chunk;
  while (k < now && !chunk.compare_exchange_weak(now, k)) {
  }
}

// The first entry of chunk k, for the main thread to announce. The date is
// copied before the flag is set, so that the flag never stands without it.
void PublishFirst(TChunkedScan& sh, std::size_t k, const std::string& date) {
  std::string copy = date;
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    sh.Results[k].FirstEntryDate.swap(copy);
    sh.Results[k].FirstKnown = true;
  }
  sh.Changed.notify_all();
}

void PublishEnd(TChunkedScan& sh, std::size_t k, TScanPass& pass) {
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    TChunkResult& r = sh.Results[k];
    // A worker that ran out of memory before it took a chunk failed it.
    if (!HasFailed(r)) {
      // The first entry, if any, was published as it was met.
      ORVELLA_INVARIANT(r.FirstKnown == pass.SawMarker);
      r.End = TChunkEnd::Done;
      r.EntryCount = pass.EntryCount;
      r.LastEntryDate = std::move(pass.LastEntryDate);
    }
    CheckChunkResult(r);
    while (sh.DoneThrough < sh.Results.size() && sh.Results[sh.DoneThrough].End == TChunkEnd::Done)
      sh.EntriesThrough += sh.Results[sh.DoneThrough++].EntryCount;
  }
  sh.Changed.notify_all();
}

void MarkFailed(TChunkedScan& sh, std::size_t k, std::string&& error, bool outOfMemory) {
  LowerTo(sh.LastWanted, k);
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    TChunkResult& r = sh.Results[k];
    // A chunk has one failure: the first its worker met.
    if (!HasFailed(r)) {
      r.End = outOfMemory ? TChunkEnd::OutOfMemory : TChunkEnd::Failed;
      if (!outOfMemory) r.Error = std::move(error);
    }
    CheckChunkResult(r);
  }
  sh.Changed.notify_all();
}

// The most entries a stretch of the file may hold: an entry line holds the
// marker and a line end (only the file's last line may lack one).
std::int64_t MostEntriesIn(const TChunkedScan& sh, std::int64_t bytes) {
  return bytes / static_cast<std::int64_t>(sh.Setup.Marker.Marker.size() + 1) + 1;
}

// How many entries chunk k may still count, settled before each block: no
// chunk counts past the entry where the sequential scan would stop. While
// the chunks before it are read, a chunk goes on freely only as long as it
// cannot reach the limit, and otherwise waits for them; from then on its
// room is exact, and the pass stops where the sequential scan does.
struct TChunkRoom {
  bool Exact = false;
  std::int64_t Free = 0;  // entries the chunk may count whatever comes before it
};

// False when the chunk is no longer wanted.
bool MakeRoom(TChunkedScan& sh, std::size_t k, TScanPass& pass, const TBlock& block, TChunkRoom& room) {
  if (room.Exact) return true;
  const std::int64_t most =
      block.Kind == TBlockKind::Lines ? MostEntriesIn(sh, static_cast<std::int64_t>(block.Text.size())) : 1;
  if (pass.EntryCount + most < room.Free) return true;
  // The chunks before k hold EntriesThrough once they are all done, and
  // until then at most that and what the stretch of those not done may hold.
  const auto settled = [&] {
    room.Exact = sh.DoneThrough == k;
    room.Free = sh.Setup.Opt.MaxEntries - sh.EntriesThrough -
                (room.Exact ? 0 : MostEntriesIn(sh, sh.Starts[k] - sh.Starts[sh.DoneThrough]));
    return room.Exact || pass.EntryCount + most < room.Free;
  };
  std::unique_lock<std::mutex> lock(sh.Lock);
  sh.Changed.wait(lock, [&] { return Unwanted(sh, k) || settled(); });
  if (Unwanted(sh, k)) return false;
  // A chunk that may count at all has not reached the limit yet: the chunk
  // that reaches it stops the later ones.
  ORVELLA_INVARIANT(room.Free > pass.EntryCount);
  if (room.Exact) pass.MaxEntries = room.Free;
  return true;
}

// The bytes a chunk has read, added up over the workers for the progress
// line. Bytes past the chunk's end are the next chunk's to count.
void CountRead(TChunkedScan& sh, std::int64_t& counted, std::int64_t position, std::int64_t end) {
  position = std::min(position, end);
  if (position <= counted) return;
  sh.BytesDone += position - counted;
  counted = position;
}

// Reads and scans chunk k into the worker's share, through the worker's
// reader. A chunk that fails, or that nobody wants any more, publishes no
// end.
void ScanChunk(TChunkedScan& sh, std::size_t k, TPlatHandle handle, TLineReader& reader, TWorkerTally& share) {
  const std::int64_t end = k + 1 < sh.Starts.size() ? sh.Starts[k + 1] : kNoLimit;
  OpenLineRange(reader, handle, sh.Starts[k], end);
  const TScanHooks none;
  TScanPass pass(sh.Setup, none, CountingTable(share));
  pass.MaxEntries = kNoLimit;
  TChunkRoom room;
  std::int64_t counted = sh.Starts[k];
  std::string err;
  TBlock block;
  TPassStep step = TPassStep::Continue;
  while (step == TPassStep::Continue && !Unwanted(sh, k) && ReadBlock(reader, &block)) {
    if (!MakeRoom(sh, k, pass, block, room)) return;
    const bool sawMarker = pass.SawMarker;
    step = ScanBlock(pass, block, &err);
    AddNamesForWorker(share, pass.Names.data(), pass.At.data(), pass.Names.size());
    CountRead(sh, counted, ReadSoFar(reader), end);
    if (!sawMarker && pass.SawMarker) PublishFirst(sh, k, pass.FirstEntryDate);
  }
  if (reader.Failed) MarkFailed(sh, k, std::move(reader.ErrorText), false);
  if (reader.Failed || (step == TPassStep::Continue && Unwanted(sh, k))) return;
  CountRead(sh, counted, ReadSoFar(reader), end);
  if (step == TPassStep::AtLimit) LowerTo(sh.LastWanted, k);
  // The chunk's names reach the tally before its end is published: a worker
  // that runs out of memory in a later chunk then fails that chunk alone,
  // and loses no name of one that counts.
  FlushWorkerTally(share);
  PublishEnd(sh, k, pass);
}

void Work(TChunkedScan& sh) {
  // A handle of its own where the system gives one: reads at offsets on a
  // shared handle may wait for each other.
  TPlatHandle handle = sh.File;
  std::string ignored;
  const bool own = PlatReopenRead(sh.File, &handle, &ignored);
  if (!own) handle = sh.File;
  std::size_t last = 0;  // the chunk scanned last; failing before any fails the first
  try {
    TWorkerTallyPtr share = NewWorkerTally(sh.Tally);
    TLineReader reader;
    for (std::size_t k; (k = sh.Next++) < sh.Results.size() && !Unwanted(sh, k);) {
      last = k;
      ScanChunk(sh, k, handle, reader, *share);
    }
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

// Until the workers are done: the progress text as soon as the sequential
// scan would have printed it (the first chunk with a marker line, all
// before it done without one and none of them failed), and the progress
// line. False when the hook failed, with its *err.
bool FollowWorkers(TChunkedScan& sh, const TScanHooks& hooks, std::int64_t size, std::string* err) {
  bool pending = hooks.FirstEntry != nullptr;
  bool hookOk = true;
  std::size_t k = 0;
  std::unique_lock<std::mutex> lock(sh.Lock);
  for (;;) {
    for (; pending && k < sh.Results.size(); ++k) {
      const TChunkResult& r = sh.Results[k];
      if (!r.FirstKnown && r.End == TChunkEnd::Open) break;
      if (!r.FirstKnown && r.End == TChunkEnd::Done) continue;
      pending = false;  // a failure before the first entry: no progress text
      if (!r.FirstKnown) break;
      const std::string date = r.FirstEntryDate;
      lock.unlock();
      hookOk = hooks.FirstEntry(date, err);
      if (!hookOk) {
        sh.StopAll = true;
        sh.Changed.notify_all();
      }
      lock.lock();
    }
    if (sh.Running == 0) return hookOk;
    if (hooks.Progress && hookOk) {
      lock.unlock();
      hooks.Progress(sh.BytesDone, size);
      lock.lock();
    }
    sh.Changed.wait_for(lock, kProgressEvery);
  }
}

// The chunks' results put together as the sequential scan gives them: the
// chunks up to the last one wanted count, and the earliest failure among
// them is the scan's, returned instead (the result is then left as it was).
const TChunkResult* CombineResults(const TChunkedScan& sh, TScanResult& result) {
  const std::size_t counting = sh.LastWanted == kNoChunk ? sh.Results.size() : sh.LastWanted + 1;
  for (std::size_t k = 0; k < counting; ++k)
    if (HasFailed(sh.Results[k])) return &sh.Results[k];
  bool first = true;
  for (std::size_t k = 0; k < counting; ++k) {
    const TChunkResult& r = sh.Results[k];
    result.EntryCount += r.EntryCount;
    if (first && r.FirstKnown) result.FirstEntryDate = r.FirstEntryDate;
    // A chunk without a marker line has a pass's last date of an empty
    // line: the scan's, from chunk 0, when no chunk has one.
    if (r.FirstKnown || k == 0) result.LastEntryDate = r.LastEntryDate;
    first = first && !r.FirstKnown;
  }
  return nullptr;
}

std::int64_t ChunkSize(std::int64_t size, int workers, const TParallelPlan& plan) {
  if (plan.ChunkSize > 0) return plan.ChunkSize;
  return std::max(kMinChunk, size / (std::int64_t{workers} * kChunksPerWorker) + 1);
}

}  // namespace

TParallelPlan ProgramPlan() { return gProgramPlan; }

TPlanSeam::TPlanSeam(const TParallelPlan& plan) : Saved(gProgramPlan) { gProgramPlan = plan; }

TPlanSeam::~TPlanSeam() { gProgramPlan = Saved; }

int ParallelWorkers(const TLineReader& reader, const TScanSetup& setup) {
  const TRunOptions& opt = setup.Opt;
  if (!reader.ReadsAtOffsets || opt.ListOnly || opt.Debug || opt.MaxGiven || opt.MaxEntries <= 0) return 1;
  // A pass that meets a long line carries up to a marker's worth of it from
  // piece to piece: with a marker longer than a read, one pass at a time.
  if (setup.Marker.Marker.size() > kReadBufferSize) return 1;
  const std::int64_t size = SizeNow(reader);
  if (size < setup.Plan.MinFileSize || size <= 0) return 1;
  const int cpus = setup.Plan.Workers > 0 ? setup.Plan.Workers : PlatUsableProcessors();
  const std::int64_t chunk = ChunkSize(size, cpus, setup.Plan), chunks = (size + chunk - 1) / chunk;
  return static_cast<int>(std::min<std::int64_t>(cpus, chunks));
}

TParallelOutcome ScanInParallel(const TLineReader& reader, const TScanSetup& setup, int workers,
                                const TScanHooks& hooks, TTally& tally, TScanResult& result, std::string* err) {
  TChunkedScan sh(setup, reader.Handle, tally);
  // Bytes appended while the scan runs are read by the last chunk, which
  // goes on to the end as the sequential scan would.
  const std::int64_t size = SizeNow(reader);
  // The chunks start at the file's start and at every chunk size after it.
  const std::int64_t chunk = ChunkSize(size, workers, setup.Plan);
  for (std::int64_t at = 0; at < size || sh.Starts.empty(); at += chunk) sh.Starts.push_back(at);
  sh.Results.resize(sh.Starts.size());
  // After what the workers use, so that on any way out it stops and joins
  // them before that goes.
  TThreadGroup group([&sh] {
    sh.StopAll = true;
    sh.Changed.notify_all();
  });
  const int started = StartThreads(group, workers, [&sh] { Work(sh); });
  if (started == 0) return TParallelOutcome::NotStarted;
  {
    // The workers that started do every chunk between them; each counts
    // itself off as it ends, maybe before this.
    std::lock_guard<std::mutex> lock(sh.Lock);
    sh.Running += started;
  }
  const bool hookOk = FollowWorkers(sh, hooks, size, err);
  JoinGroup(group);
  if (!hookOk) return TParallelOutcome::Failed;
  if (const TChunkResult* failed = CombineResults(sh, result)) {
    if (failed->End == TChunkEnd::OutOfMemory) throw std::bad_alloc();
    *err = failed->Error;
    return TParallelOutcome::Failed;
  }
  // The line's last word, as the sequential scan's last block gives it:
  // with a last chunk wanted and no failure, the count limit stopped the
  // scan, and the whole file counts as read.
  if (hooks.Progress) hooks.Progress(sh.LastWanted == kNoChunk ? sh.BytesDone.load() : size, size);
  return TParallelOutcome::Done;
}
