// The per-name tally: distinct names in first-seen order with their counts.
// Names are equal when they match ignoring letter case (the ANSI code page's
// case mapping); the spelling first met is the one kept.
//
// Counting and reporting are two phases. While counting, a table finds a
// name by hash; its records and name bytes sit in small blocks that never
// move, so nothing is copied as it grows. The parallel scan gives each
// worker a share of its own and merges the shares into shards of the run's
// tally; every record keeps the file offset of its first entry, which puts
// the names back into the order of the sequential scan. FinishTally then
// turns the records into the rows the report reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text.h"

// A worker's share of the run's tally, counted apart and merged into the
// run's tally now and then; made by NewWorkerTally.
struct TWorkerTally;
struct TWorkerTallyDeleter {
  void operator()(TWorkerTally* w) const;
};
typedef std::unique_ptr<TWorkerTally, TWorkerTallyDeleter> TWorkerTallyPtr;
TWorkerTallyPtr NewWorkerTally();
void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n);
// What the share still holds, into the shards.
void FlushWorkerTally(TWorkerTally& w);

// Empties the run's tally.
void ResetTally();
// One entry of the name into the run's tally, in sequence (shard 0).
void AddToTally(std::string_view name);
void AddNamesToTally(const std::string_view* names, const std::int64_t* at, std::size_t count);

// The end of counting: the names in the order of their first entries
// (sharded: ordered by first offsets), ready for the report. The ordering
// uses up to the given threads. Once only; counting again starts with
// ResetTally.
void FinishTally(bool sharded, int threads = 1);

// The report's view of the finished tally: TallyNames[i] and TallyCounts[i],
// i below size(), in first-seen order or as sorted.
struct TTallyNames {
  std::string_view operator[](std::size_t i) const;
  std::size_t size() const;
};
struct TTallyCounts {
  std::int64_t operator[](std::size_t i) const;
  std::size_t size() const;
};
extern const TTallyNames TallyNames;
extern const TTallyCounts TallyCounts;

// Stable sorts of the finished tally on up to the given threads, the same
// on any number. By name: ASCII-lower-cased bytes, unsigned, a prefix
// first. By count: ascending.
void SortTally(bool byName, int threads = 1);

// -A sorts by name (also when -N is given); -N alone sorts by name and then
// by count; neither keeps first-seen order.
void SortTallyFor(bool alpha, bool number, int threads = 1);
