// One pass of the scan over the lines one reader hands out: the steps that
// the sequential scan and each worker of the parallel scan share.
#pragma once

#include <cstdint>
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

struct TScanPass {
  TScanPass(const TRunOptions& opt, const TSyslogConfigRec& profile, const TScanHooks& hooks, TNameSink names,
            TPositionSink position);
  const TRunOptions& Opt;
  const TSyslogConfigRec& Profile;
  const TScanHooks& Hooks;
  TNameSink Sink;
  TPositionSink Position;
  TMarkerSearch Search;
  TWordCutter First, Second;  // the profile's two delimiter sets, made ready
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
