#include "parallel_scan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "scan_pass.h"
#include "syslog_profiles.h"
#include "tally.h"

TParallelPlan ParallelPlan;

namespace {

// Chunks small enough that the workers finish close together, and large
// enough that cutting costs nothing.
constexpr std::int64_t kMinChunk = std::int64_t{4} << 20;
constexpr int kChunksPerWorker = 8;

struct TChunkResult {
  bool Done = false;
  bool FirstKnown = false;
  std::int64_t EntryCount = 0;
  std::string FirstEntryDate, LastEntryDate;
};

struct TShared {
  TPlatHandle File = NoPlatHandle;
  std::vector<std::int64_t> Starts;  // chunk k: the lines that start in [Starts[k], Starts[k + 1])
  std::vector<TChunkResult> Results;
  std::atomic<std::size_t> Next{0};
  std::atomic<bool> Stop{false};
  std::atomic<std::int64_t> BytesDone{0};  // for the progress line
  std::atomic<int> Running{0};             // workers not yet done
  std::mutex Lock;                         // guards Results and the failure
  std::condition_variable Changed;
  bool Failed = false;
  bool OutOfMemory = false;
  std::size_t FailedChunk = 0;
  std::string Error;
};

void Fail(TShared& sh, std::size_t chunk, const std::string& error, bool outOfMemory) {
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    // Of several failures, the one earliest in the file, as the sequential
    // scan would have met it first.
    if (!sh.Failed || chunk < sh.FailedChunk || outOfMemory) {
      sh.Failed = true;
      sh.FailedChunk = chunk;
      sh.Error = error;
      sh.OutOfMemory = sh.OutOfMemory || outOfMemory;
    }
  }
  sh.Stop = true;
  sh.Changed.notify_all();
}

void ScanChunk(TShared& sh, std::size_t k, TPlatHandle handle, TWorkerTally& share) {
  const std::int64_t limit = k + 1 < sh.Results.size() ? sh.Starts[k + 1] : kNoLimit;
  TLineReader reader;
  if (!OpenLineRange(reader, handle, sh.Starts[k], limit)) {
    Fail(sh, k, reader.ErrorText, false);
    return;
  }
  const TScanHooks none;
  const TNameSink toShare{[](void* share, const std::string_view* names, const std::int64_t* at, std::size_t n) {
                            AddNamesForWorker(*static_cast<TWorkerTally*>(share), names, at, n);
                          },
                          &share};
  // The bytes read, added up over the workers for the progress line.
  struct TCounted {
    std::atomic<std::int64_t>& Done;
    std::int64_t At;
  } counted{sh.BytesDone, sh.Starts[k]};
  const TPositionSink toCount{[](void* context, std::int64_t position) {
                                auto* c = static_cast<TCounted*>(context);
                                c->Done += position - c->At;
                                c->At = position;
                              },
                              &counted};
  TScanPass pass(RunOptions, CurrentSyslogConfig, none, toShare, toCount);
  TStep step = TStep::Go;
  std::string err;
  bool told = false;
  while (!sh.Stop && ScanNextBlock(pass, reader, &step, &err)) {
    if (!told && pass.SawMarker) {
      told = true;
      {
        std::lock_guard<std::mutex> lock(sh.Lock);
        sh.Results[k].FirstKnown = true;
        sh.Results[k].FirstEntryDate = pass.FirstEntryDate;
      }
      sh.Changed.notify_all();
    }
  }
  if (reader.Failed) {
    Fail(sh, k, reader.ErrorText, false);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    TChunkResult& r = sh.Results[k];
    r.Done = true;
    r.EntryCount = pass.EntryCount;
    r.FirstKnown = pass.SawMarker;
    r.FirstEntryDate = pass.FirstEntryDate;
    r.LastEntryDate = pass.LastEntryDate;
  }
  sh.Changed.notify_all();
}

void Work(TShared& sh) {
  // A handle of its own where the system gives one: reads at offsets on a
  // shared handle may wait for each other.
  TPlatHandle handle = sh.File;
  std::string ignored;
  const bool own = PlatReopenRead(sh.File, &handle, &ignored);
  if (!own) handle = sh.File;
  std::size_t k = 0;
  try {
    TWorkerTally share;
    while (!sh.Stop && (k = sh.Next++) < sh.Results.size()) ScanChunk(sh, k, handle, share);
    FlushWorkerTally(share);
  } catch (const std::bad_alloc&) {
    Fail(sh, k, std::string(), true);
  }
  if (own) PlatClose(handle, &ignored);
  {
    std::lock_guard<std::mutex> lock(sh.Lock);
    --sh.Running;
  }
  sh.Changed.notify_all();
}

std::int64_t ChunkSize(std::int64_t size, int workers) {
  if (ParallelPlan.ChunkSize > 0) return ParallelPlan.ChunkSize;
  return std::max(kMinChunk, size / (std::int64_t{workers} * kChunksPerWorker) + 1);
}

// The chunk starts: at the file's start and at every chunk size after it.
std::vector<std::int64_t> ChunkStarts(std::int64_t size, int workers) {
  const std::int64_t chunk = ChunkSize(size, workers);
  std::vector<std::int64_t> starts;
  for (std::int64_t at = 0; at < size || starts.empty(); at += chunk) starts.push_back(at);
  return starts;
}

}  // namespace

int ParallelWorkers(const TLineReader& reader, const TRunOptions& opt) {
  if (!reader.ReadsAtOffsets || opt.ListOnly || opt.Debug || opt.MaxGiven) return 1;
  const std::int64_t size = SizeNow(reader);
  if (size < ParallelPlan.MinFileSize || size <= 0) return 1;
  const int cpus = ParallelPlan.Workers > 0 ? ParallelPlan.Workers : PlatUsableProcessors();
  const std::int64_t chunk = ChunkSize(size, cpus), chunks = (size + chunk - 1) / chunk;
  return static_cast<int>(std::min<std::int64_t>(cpus, chunks));
}

TParallelOutcome ScanInParallel(const TLineReader& reader, int workers, const TScanHooks& hooks, TScanResult& result,
                                std::string* err) {
  TShared sh;
  sh.File = reader.Handle;
  // Bytes appended while the scan runs are read by the last chunk, which
  // goes on to the end as the sequential scan would.
  const std::int64_t size = SizeNow(reader);
  sh.Starts = ChunkStarts(size, workers);
  sh.Results.resize(sh.Starts.size());
  std::vector<std::thread> threads;
  try {
    for (int w = 0; w < workers; ++w) {
      ++sh.Running;
      threads.emplace_back(Work, std::ref(sh));
    }
  } catch (const std::system_error&) {
    // Those that did start do all the chunks between them.
    --sh.Running;
  }
  if (threads.empty()) return TParallelOutcome::NotStarted;

  // The progress text goes out as soon as the file's first entry is known:
  // the first chunk with a marker line, all before it done without one.
  // Meanwhile, and until the workers are done, the progress line.
  bool hookFailed = false;
  bool firstPending = hooks.FirstEntry != nullptr;
  std::size_t k = 0;
  std::unique_lock<std::mutex> lock(sh.Lock);
  for (;;) {
    while (firstPending && !sh.Stop && k < sh.Results.size() && (sh.Results[k].FirstKnown || sh.Results[k].Done)) {
      if (!sh.Results[k].FirstKnown) {
        ++k;
        continue;
      }
      firstPending = false;
      const std::string date = sh.Results[k].FirstEntryDate;
      lock.unlock();
      hookFailed = !hooks.FirstEntry(date, err);
      if (hookFailed) sh.Stop = true;
      lock.lock();
    }
    if (sh.Running == 0) break;
    if (hooks.Progress && !sh.Stop) {
      lock.unlock();
      hooks.Progress(sh.BytesDone, size);
      lock.lock();
    }
    sh.Changed.wait_for(lock, std::chrono::milliseconds(250));
  }
  lock.unlock();
  for (std::thread& t : threads) t.join();
  if (sh.OutOfMemory) throw std::bad_alloc();
  if (sh.Failed) {
    *err = sh.Error;
    return TParallelOutcome::Failed;
  }
  if (hookFailed) return TParallelOutcome::Failed;

  bool first = true;
  for (const TChunkResult& r : sh.Results) {
    result.EntryCount += r.EntryCount;
    if (!r.FirstKnown) continue;
    if (first) result.FirstEntryDate = r.FirstEntryDate;
    first = false;
    result.LastEntryDate = r.LastEntryDate;
  }
  if (first) result.LastEntryDate = EntryDateText(std::string_view(), CurrentSyslogConfig);
  FinishTally(true, workers);
  return TParallelOutcome::Done;
}
