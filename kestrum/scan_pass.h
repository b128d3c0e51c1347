// One pass of the scan over the lines one reader hands out: the steps that
// the sequential scan and each worker of the parallel scan share.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "marker_search.h"
#include "run_state.h"
#include "scanner.h"
#include "syslog_profiles.h"
#include "tally.h"

// Where a pass's names go (not with -L): the run's tally, or a worker's share.
struct TNameSink {
  void (*Add)(void* context, const std::string_view* names, const std::int64_t* at, std::size_t n);
  void* Context;
};

// Told how far into the file the pass has read, after each block and each
// piece of a long line; may be empty.
struct TPositionSink {
  void (*At)(void* context, std::int64_t position);
  void* Context;
};

// The memory for entry lines held whole, shared by the workers of one scan:
// a line held alone may be of any size, and lines held side by side stay
// within kShared together, half the room the scan may take beside its
// longest line. So the scan needs about its longest line, as the sequential
// one does, whatever the number of workers.
struct TLineBudget {
  static constexpr std::int64_t kShared = std::int64_t{8} << 20;
  std::mutex Lock;
  std::condition_variable Freed;
  std::int64_t InUse = 0;  // guarded by Lock, as the two below
  int Holders = 0;
  int LargeWaiting = 0;  // lines over kShared waiting: smaller ones let them go first
};

struct TScanPass {
  TScanPass(const TRunOptions& opt, const TSyslogConfigRec& profile, const TScanHooks& hooks, TNameSink names,
            TPositionSink position);
  const TRunOptions& Opt;
  const TSyslogConfigRec& Profile;
  const TScanHooks& Hooks;
  TNameSink Sink;
  TPositionSink Position;
  TMarkerSearch Search;
  TWordCutter First, Second;      // the profile's two delimiter sets, made ready
  TLineBudget* Budget = nullptr;  // shared with other passes; null: a pass alone
  // What the pass found.
  std::int64_t EntryCount = 0;
  bool SawMarker = false;
  std::string FirstEntryDate;  // of the first line that held the marker
  std::string LastEntryDate;   // of the last one (with the limit reached: of the last counted)
  // Names are tallied a block at a time (they point into the block), which
  // lets the table fetch its memory ahead on big tables.
  std::vector<std::string_view> Names;
  std::vector<std::int64_t> At;
};

enum class TStep { Go, LimitReached, HookFailed };

// Reads and scans the reader's next block of lines (or long line). False
// at the reader's end or on its failure (reader.Failed); *step tells
// whether the pass may go on.
bool ScanNextBlock(TScanPass& pass, TLineReader& reader, TStep* step, std::string* err);
