// One pass of the scan over the blocks one reader hands out: the steps that
// the sequential scan and each worker of the parallel scan share. A pass
// never holds a line: whole lines are cut where the reader's buffer has
// them, and a line longer than the buffer is cut from its pieces as they
// pass, keeping only the marker's reach, the name and the date words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "line_reader.h"
#include "marker_search.h"
#include "piece_cuts.h"
#include "run_state.h"
#include "syslog_profiles.h"

// One counted entry, as the -L list and the -D block show it.
struct TScanEntry {
  std::int64_t Number = 0;             // counted entries so far, this one included
  std::string_view Line;               // the whole line (only with -D, which reads lines whole)
  std::string_view Section;            // the part the name is cut from (likewise)
  std::string_view Process;            // the name
  const TWordCutter* DebugSet = nullptr;  // the set the name was cut with (likewise)
};

// What the scan hands out while it runs; any may be null. A hook that
// returns false ends the scan as a failure with its *err.
struct TScanHooks {
  // The date text of the first line holding the marker, when it is met.
  bool (*FirstEntry)(const std::string& date, std::string* err) = nullptr;
  // Each counted entry, in file order; only wanted with -L or -D.
  bool (*Entry)(const TScanEntry& entry, std::string* err) = nullptr;
  // Now and then: the bytes read so far, of the size at the start (below
  // 0 for an input of no size).
  void (*Progress)(std::int64_t done, std::int64_t total) = nullptr;
};

// How the parallel scan may split a file.
struct TParallelPlan {
  std::int64_t MinFileSize = std::int64_t{16} << 20;  // smaller files are scanned in sequence
  std::int64_t ChunkSize = 0;                         // 0: chosen from the size and the workers
  int Workers = 0;                                    // 0: as many as the processors this process may run on
};

// What every pass of one scan works from: made once by the scan, then only
// read, by every pass on every thread.
struct TScanSetup {
  TScanSetup(const TRunOptions& opt, const TSyslogConfigRec& profile, const TParallelPlan& plan);
  TScanSetup(const TScanSetup&) = delete;
  TScanSetup& operator=(const TScanSetup&) = delete;

  const TRunOptions& Opt;
  const TSyslogConfigRec& Profile;
  TParallelPlan Plan;
  TMarkerSearch Marker;
  TWordCutter First, Second, DateSet;  // the profile's delimiter sets, made ready
  TDatePicture Date;
  std::vector<long long> DateWords;  // the words the date is made of
};

// The line longer than the buffer that is passing, cut as its pieces come.
struct TLongEntry {
  bool Passing = false;   // between its first and its last piece
  std::int64_t At = 0;    // its offset
  TMarkerCarry Marker;
  TFieldCut Name;
  TWordsCut Date;
};

enum class TPassStep { Continue, AtLimit, HookFailed };

struct TTallyTable;

struct TScanPass {
  TScanPass(const TScanSetup& setup, const TScanHooks& hooks, TTallyTable& counting);
  const TScanSetup& Setup;
  const TScanHooks& Hooks;
  // The table whose names met lately the pass counts entries by itself
  // (not with -L), leaving the others in Names.
  TTallyTable& Counting;
  std::int64_t MaxEntries;  // the pass stops at this count: the run's limit, or a chunk's share of it
  TMarkerFinder Finder;
  TLongEntry Long;
  // What the pass found.
  std::int64_t EntryCount = 0;
  bool SawMarker = false;
  std::string FirstEntryDate;  // of the first line that held the marker
  // Of the last one, or with the limit reached, of the last counted. Taken
  // from the last line holding the marker, not the last line read, so that a
  // log ending in noise still tells when its last entry came.
  std::string LastEntryDate;
  // The names the last block counted and did not find among the names met
  // lately, for the caller to tally before the next read: they point into
  // the block or into Long.
  std::vector<std::string_view> Names;
  std::vector<std::int64_t> At;
};

// Scans one block of the reader: whole lines, or a piece of a long line
// (whose entry counts with its last piece). Skipped pieces are not the
// pass's.
TPassStep ScanBlock(TScanPass& pass, const TBlock& block, std::string* err);
