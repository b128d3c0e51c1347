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

// One distinct name. The key is the name's case-folded first, second and
// last eight bytes: for names of up to 24 bytes it alone decides equality.
struct TTallyRecord {
  std::uint64_t Head, Second, Tail;
  std::int64_t Count;
  std::int64_t FirstAt;  // file offset of the line of its first entry
  std::uint32_t Name;    // where the spelling of that entry is stored
  std::uint32_t Size;
};

struct TNameKey {
  std::uint64_t Head = 0, Second = 0, Tail = 0;
  std::uint64_t Size = 0;
  std::uint64_t Hash = 0;
};

// Entries of one name to add: the name's key, their count and the first
// one's offset. A cache line each: the key goes along, as the name itself
// has mostly left the caches by the time it is looked up.
struct TTallyItem {
  TNameKey Key;
  const char* Name;
  std::int64_t Count;
  std::int64_t FirstAt;
};

// Records in blocks aligned to cache lines, so that a record spans at most
// two lines and both can be fetched ahead.
struct alignas(64) TTallyRecordBlock {
  TTallyRecord At[1024];
};

// Name bytes in blocks that never move, so that views of them stay valid;
// a name is found by its block and offset in 32 bits.
struct TNameStore {
  std::vector<std::unique_ptr<char[]>> Blocks;
  std::size_t Used = 0;     // of the current block
  std::size_t Current = 0;  // the current block's index + 1
  std::vector<std::size_t> Large;  // blocks larger than the usual size
  std::vector<std::unique_ptr<char[]>> Spare;  // usual blocks to use again
};

struct TTallyTable {
  // Open addressing, at most half full: the record index + 1 in the low 32
  // bits (0: empty), the hash's high 32 bits above it.
  std::vector<std::uint64_t> Slots;
  std::vector<std::unique_ptr<TTallyRecordBlock>> Records;
  std::size_t Count = 0;
  TNameStore Names;
  std::int64_t LastFirst = 0;  // the largest first offset of a record
};

// A worker's share of the run's tally. Names are counted in a small table
// of its own, merged into the shards when it fills; when names hardly
// repeat (the table fills with few entries each), they go to the shards in
// batches instead, without the table.
struct TWorkerTally {
  TTallyTable Table;
  bool Batches = false;
  std::int64_t Entries = 0;  // entries in the table now
  // Names not yet merged, by the shard they go to, and their bytes.
  std::vector<std::vector<TTallyItem>> Pending;
  std::size_t PendingCount = 0;
  TNameStore PendingNames;
};
void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n);
// What the share still holds, into the shards.
void FlushWorkerTally(TWorkerTally& w);

// Empties the run's tally and loads the case mapping.
void ResetTally();
// One entry of the name into the run's tally, in sequence (shard 0).
void AddToTally(std::string_view name);
void AddNamesToTally(const std::string_view* names, const std::int64_t* at, std::size_t count);

// The end of counting: the names in the order of their first entries
// (sharded: ordered by first offsets), ready for the report. The ordering
// and the sorts after it use up to the given threads. Once only; counting
// again starts with ResetTally.
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

// Stable sorts of the finished tally, the same on any number of threads.
// By name: ASCII-lower-cased bytes, unsigned, a prefix first. By count:
// ascending.
void SortTally(bool byName);

// -A sorts by name (also when -N is given); -N alone sorts by name and then
// by count; neither keeps first-seen order.
void SortTallyFor(bool alpha, bool number);
