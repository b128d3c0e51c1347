// Inside the tally: the run's tally in shards and the reads of its records
// and names, shared by the counting (tally.cc) and the finished tally
// (tally_order.cc).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "tally.h"

constexpr std::size_t kRecordBlockBits = 10;
constexpr std::size_t kRecordBlock = std::size_t{1} << kRecordBlockBits;
static_assert(sizeof(TTallyRecordBlock::At) / sizeof(TTallyRecord) == kRecordBlock);
// Name bytes: blocks of 16 KiB, addressed by block and offset in 32 bits;
// a name of more than a quarter block gets a block of its own.
constexpr std::size_t kNameBlockBits = 14;
constexpr std::size_t kNameBlock = std::size_t{1} << kNameBlockBits;

// The run's tally in shards by hash, each with its lock: where the workers'
// shares go. The sequential scan uses shard 0 alone, without locking.
struct TShardedTally {
  static constexpr int kShardBits = 6;
  static constexpr int kShards = 1 << kShardBits;
  std::array<TTallyTable, kShards> Shards;
  std::array<std::mutex, kShards> Locks;
};
extern TShardedTally RunTally;

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

// The finished tally's order and threads, forgotten when counting starts
// again.
void ForgetTallyOrder();
