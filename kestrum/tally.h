// The per-name tally: distinct names in first-seen order with their counts.
// Names are equal when they match ignoring letter case (the ANSI code page's
// case mapping); the spelling first met is the one kept.
//
// Counting and reporting are two phases. While counting (TTally), a table
// finds a name by hash; its records and name bytes sit in small blocks that
// never move, so nothing is copied as it grows. The parallel scan gives each
// worker a share of its own (TWorkerTally) and merges the shares into shards
// of the run's tally; every record keeps the file offset of its first entry,
// which puts the names back into the order of the sequential scan.
// FinishTally then turns the tally into the rows the report reads
// (TFinishedTally).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "text.h"

// The run's tally while it counts, and a worker's share of it (below); one
// deleter for both, defined where their records are known.
struct TTally;
struct TWorkerTally;
struct TTallyDeleter {
  void operator()(TTally* t) const;
  void operator()(TWorkerTally* w) const;
};
typedef std::unique_ptr<TTally, TTallyDeleter> TTallyPtr;
TTallyPtr NewTally();

// Entries of the names in the order of the file, each with the offset of its
// line; in sequence, into the first shard alone.
void AddNamesToTally(TTally& tally, const std::string_view* names, const std::int64_t* at, std::size_t count);

// A worker's share of a tally, counted apart and merged into the tally's
// shards now and then.
typedef std::unique_ptr<TWorkerTally, TTallyDeleter> TWorkerTallyPtr;
TWorkerTallyPtr NewWorkerTally(TTally& into);
void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n);
// What the share still holds, into the shards.
void FlushWorkerTally(TWorkerTally& w);

// The table that a scan counts the entries of names met lately into itself
// (CountedAsRecent in tally_internal.h), before it adds the others in a
// batch: the first shard for a scan in sequence, or a worker's share.
struct TTallyTable;
TTallyTable& CountingTable(TTally& tally);
TTallyTable& CountingTable(TWorkerTally& share);

// The end of counting: the names in the order of their first entries, ready
// for the report.
// Invariants: Order is empty while the rows are the first shard's records in
// the order they were made (a tally counted in sequence, not sorted);
// otherwise it holds every record once, in the report's order: its index in
// the first shard, or, when Sharded, its shard in the top six bits and its
// index below them. No name is looked up any more.
struct TFinishedTally {
  TTallyPtr Counted;  // null: nothing was counted (before a scan, or with -L)
  bool Sharded = false;
  std::vector<std::uint32_t> Order;
  std::size_t Size() const;
  std::string_view Name(std::size_t row) const;
  std::int64_t Count(std::size_t row) const;
};

// Finishes the tally; sharded: its names came through workers' shares, and
// are put in the order of their first offsets.
TFinishedTally FinishTally(TTallyPtr tally, bool sharded);

// Stable sorts of the finished tally. By name: ASCII-lower-cased bytes,
// unsigned, a prefix first. By count: ascending.
void SortTally(TFinishedTally& t, bool byName);

// -A sorts by name (also when -N is given); -N alone sorts by name and then
// by count; neither keeps first-seen order.
void SortTallyFor(TFinishedTally& t, bool alpha, bool number);

// ---- The tally's published interface that neither program uses ----
// The programs count through AddNamesToTally; this one-name form is kept
// for its callers and for the tests.
// One entry of the name, in sequence (its offset: the names counted before).
void AddToTally(TTally& tally, std::string_view name);
