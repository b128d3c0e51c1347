// Inside the tally: the run's tally in shards and the reads of its records
// and names, shared by the counting (tally.cc) and the finished tally
// (tally_order.cc).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "tally.h"

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
  std::size_t Used = 0;                        // of the current block
  std::size_t Current = 0;                     // the current block's index + 1
  std::vector<std::size_t> Large;              // blocks of one long name each, freed when emptied
  std::vector<std::unique_ptr<char[]>> Spare;  // usual blocks to use again
  std::size_t Bytes = 0;                       // of the names stored since it was emptied
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

constexpr std::size_t kRecordBlockBits = 10;  // 48 KiB of records a block
constexpr std::size_t kRecordBlock = std::size_t{1} << kRecordBlockBits;
static_assert(sizeof(TTallyRecordBlock::At) / sizeof(TTallyRecord) == kRecordBlock);
// Name bytes: blocks of 16 KiB, addressed by block and offset in 32 bits;
// a name of more than a quarter block gets a block of its own, of its size.
constexpr std::size_t kNameBlockBits = 14;
constexpr std::size_t kNameBlock = std::size_t{1} << kNameBlockBits;

// The run's tally in shards by hash, each with its lock: where the workers'
// shares go. The sequential scan uses shard 0 alone, without locking.
struct TShardedTally {
  // Far more shards than workers, so that a merge seldom finds its shard
  // taken.
  static constexpr int kShardBits = 6;
  static constexpr int kShards = 1 << kShardBits;
  std::array<TTallyTable, kShards> Shards;
  std::array<std::mutex, kShards> Locks;
};
extern TShardedTally RunTally;
// Counts the merges, each starting at a shard of its own; wraps harmlessly.
extern std::atomic<unsigned> ShardTurn;

inline const char* NameBytes(const TNameStore& store, std::uint32_t ref) {
  return store.Blocks[ref >> kNameBlockBits].get() + (ref & (kNameBlock - 1));
}

inline std::string_view NameOf(const TTallyTable& t, const TTallyRecord& r) {
  return std::string_view(NameBytes(t.Names, r.Name), r.Size);
}

inline const TTallyRecord& RecordAt(const TTallyTable& t, std::size_t index) {
  return t.Records[index >> kRecordBlockBits]->At[index & (kRecordBlock - 1)];
}
inline TTallyRecord& RecordAt(TTallyTable& t, std::size_t index) {
  return t.Records[index >> kRecordBlockBits]->At[index & (kRecordBlock - 1)];
}

template <typename T>
void Prefetch(const T* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

// A record may span two cache lines.
inline void PrefetchRecord(const TTallyRecord& r) {
  Prefetch(&r);
  Prefetch(reinterpret_cast<const char*>(&r) + sizeof r - 1);
}

// The finished tally's order, forgotten when counting starts
// again.
void ForgetTallyOrder();
