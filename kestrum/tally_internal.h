// Inside the tally: the tally in shards and the reads of its records and
// names, shared by the counting (tally.cc) and the finished tally
// (tally_order.cc); and the names met lately, which the scan counts an
// entry by itself (CountedAsRecent), in its own loop rather than through a
// call and a batch.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "paged_memory.h"
#include "tally.h"

// Where a name's spelling is stored and how long it is, in one word: the
// place in the low 40 bits (the block's index times kNameBlock, plus the
// offset in it), the size in the high 24. A name of kSizeInStore bytes or
// more has kSizeInStore there, and its size in the eight bytes before its
// first (it always has a block of its own).
typedef std::uint64_t TNameRef;
constexpr int kNamePlaceBits = 40;
constexpr std::uint64_t kSizeInStore = (std::uint64_t{1} << (64 - kNamePlaceBits)) - 1;

// One distinct name. Its key is the name's case-folded first, second and
// last eight bytes (for a name under eight bytes, the same word twice, and
// no second word up to sixteen): for names of up to 24 bytes it alone
// decides equality.
struct TTallyRecord {
  std::uint64_t FirstWord, SecondWord, LastWord;
  std::int64_t Count;
  std::int64_t FirstAt;  // file offset of the line of its first entry
  TNameRef Name;         // where the spelling of that entry is kept
};

struct TNameKey {
  std::uint64_t FirstWord = 0, SecondWord = 0, LastWord = 0;
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

// Name bytes: blocks of 16 KiB; a name of more than a quarter block gets a
// block of its own, of its size.
constexpr std::size_t kNameBlockBits = 14;
constexpr std::size_t kNameBlock = std::size_t{1} << kNameBlockBits;

// A name block's memory: an allocation of its own, or a part of the large
// pages of blocks that its store keeps in Room.
struct TNameBlockFree {
  bool Own = true;
  void operator()(char* p) const {
    if (Own) delete[] p;
  }
};
typedef std::unique_ptr<char[], TNameBlockFree> TNameBlockPtr;

// Name bytes in blocks that never move, so that views of them stay valid.
// Invariants: Current is the index + 1 of the block that usual names go
// into (0: none yet), and Used the bytes taken of it; every index in Large
// names a block of one long name, freed when the store is emptied (its
// entry in Blocks is null from then on); Spare holds the usual blocks not
// in use, emptied or not yet used, for the next names; Bytes counts the name
// bytes stored since the store was emptied. Room holds the large pages that
// the usual blocks of a big store are cut from; they go with the store.
struct TNameStore {
  std::vector<TNameBlockPtr> Blocks;
  std::size_t Used = 0;
  std::size_t Current = 0;
  std::vector<std::size_t> Large;
  std::vector<TNameBlockPtr> Spare;
  std::size_t Bytes = 0;
  std::vector<std::unique_ptr<char, TPagedFree>> Room;
};

// A name met lately, spelled as it stood, and its record: in a table that
// counts names in file order, the scan counts the next entry of that
// spelling at once, without a lookup. Names of up to 24 bytes, whose raw
// words (RawWords) are the name, in a small table by those words. The
// record is kept by its address, which never changes, so that a count
// takes one load less.
// An empty place has a size no name there has: a spelling is matched by its
// size and words alone.
struct TRecentName {
  std::uint64_t Words[3] = {};
  std::uint64_t Size = ~std::uint64_t{0};
  TTallyRecord* Record = nullptr;
};

// Invariants: Slots is empty once the tally is finished, and no lookup may
// follow then; otherwise its size is a power of two and at most half of it
// is taken. A slot holds the record's index + 1 in the low 32 bits (0: an
// empty slot) and the hash's high 32 bits above it, which also place it.
// Recent names only records of the table, spelled as their names were met.
// Every block in Records lies in memory that RecordRoom owns, and the
// first Count records are made.
struct TTallyTable {
  std::vector<std::uint64_t, TPaged<std::uint64_t, true>> Slots;
  std::vector<TRecentName> Recent;
  int RecentOff = 0;            // blocks still to pass by Recent
  std::size_t RecentFound = 0;  // entries the scan found in Recent since the block was last judged
  // The record blocks, made by AddRecordBlocks, and the memory they are in.
  std::vector<TTallyRecordBlock*> Records;
  std::vector<std::unique_ptr<TTallyRecordBlock, TPagedFree>> RecordRoom;
  std::size_t Count = 0;
  TNameStore Names;
  // Room that each batch of names reuses, kept with the table rather than
  // per thread: the names to look up and the records they were found in.
  std::vector<TTallyItem> Batch;
  std::vector<std::size_t> BatchRecords;
};

// A worker's share of a tally: names counted in a small table of its own,
// merged into the shards of the tally it was made for when it fills.
// Invariants: Into outlives the share; Items holds nothing of use between
// merges (its room is kept for the next, as fresh memory costs more).
struct TWorkerTally {
  TTally* Into = nullptr;
  TTallyTable Table;
  std::vector<TTallyItem> Items;  // the table's names by shard, while a merge runs
};

constexpr std::size_t kRecordBlockBits = 10;  // 48 KiB of records a block
constexpr std::size_t kRecordBlock = std::size_t{1} << kRecordBlockBits;
static_assert(sizeof(TTallyRecordBlock::At) / sizeof(TTallyRecord) == kRecordBlock);

// A tally in shards by hash, each with its lock: where the workers' shares
// go. The sequential scan uses shard 0 alone, without locking.
struct TTally {
  // Far more shards than workers, so that a merge seldom finds its shard
  // taken.
  static constexpr int kShardBits = 6;
  static constexpr int kShards = 1 << kShardBits;
  std::array<TTallyTable, kShards> Shards;
  std::array<std::mutex, kShards> Locks;
};

inline const char* NameBytes(const TNameStore& store, TNameRef ref) {
  const std::uint64_t place = ref & ((std::uint64_t{1} << kNamePlaceBits) - 1);
  return store.Blocks[place >> kNameBlockBits].get() + (place & (kNameBlock - 1));
}

inline std::uint64_t NameSize(TNameRef ref, const char* bytes) {
  const std::uint64_t size = ref >> kNamePlaceBits;
  if (size < kSizeInStore) return size;
  std::uint64_t stored;
  std::memcpy(&stored, bytes - 8, 8);
  return stored;
}

inline std::string_view NameOf(const TTallyTable& t, const TTallyRecord& r) {
  const char* bytes = NameBytes(t.Names, r.Name);
  return std::string_view(bytes, NameSize(r.Name, bytes));
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

// Names are read as eight-byte words whose first byte is the name's first:
// whole words from the front, then the last eight bytes (overlapping the
// word before unless the length is a multiple of eight). A name under
// eight bytes is one word, zero-padded.
static_assert(std::endian::native == std::endian::little);
inline std::uint64_t Load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

inline std::uint64_t ShortWord(const char* p, std::size_t n) {
  if (n >= 4) {  // two overlapping halves
    std::uint32_t lo, hi;
    std::memcpy(&lo, p, 4);
    std::memcpy(&hi, p + n - 4, 4);
    return lo | (static_cast<std::uint64_t>(hi) << ((n - 4) * 8));
  }
  if (n == 0) return 0;
  auto byte = [p](std::size_t i) { return static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (i * 8); };
  return byte(0) | byte(n / 2) | byte(n - 1);
}

inline std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ULL;
  h ^= h >> 32;
  return h;
}

// A name's first, second and last eight bytes as they stand (a name under
// eight bytes: its bytes padded with zeros, twice; no second word up to
// sixteen bytes): for names of up to 24 bytes they hold the whole name.
inline void RawWords(std::string_view name, std::uint64_t words[3]) {
  const char* p = name.data();
  const std::size_t n = name.size();
  words[1] = n > 16 ? Load8(p + 8) : 0;
  if (n < 8) {
    words[0] = words[2] = ShortWord(p, n);
  } else {
    words[0] = Load8(p);
    words[2] = Load8(p + n - 8);
  }
}

// Recent names a table keeps: 320 KiB, within the second-level cache. Each
// spelling has one place, so spellings whose places meet push each other
// out: with 2048 places, one entry in fifteen of a file of 300 names missed
// them, and a run took 5 % longer. Two places per spelling, looked at in
// turn, missed less but made the run slower still.
constexpr std::size_t kRecentNames = 8192;

// The place of a spelling among the recent names, by its raw words: the
// top bits of one product, which all bits of the words reach.
inline std::size_t RecentPlace(const std::uint64_t words[3], std::size_t size) {
  constexpr int kPlaceBits = std::countr_zero(kRecentNames);
  return static_cast<std::size_t>(((words[0] ^ std::rotl(words[2], 29) ^ words[1] ^ size) * 0x9E3779B97F4A7C15ULL) >>
                                  (64 - kPlaceBits));
}

// Whether a scan looks at the table's recent names for its next block:
// they are made, and the last judge of them left them on.
inline bool RecentNamesOn(const TTallyTable& t) { return !t.Recent.empty() && t.RecentOff == 0; }

// Counts the entry at once if the name at its place among the recent
// names is spelled as it is, and the entry does not come before that
// name's first: an earlier entry (names given out of file order) may bring
// its own spelling, which the lookup settles. The table's recent names are
// made (not empty).
inline bool CountedAsRecent(TTallyTable& t, std::string_view name, std::int64_t at) {
  std::uint64_t words[3];
  RawWords(name, words);
  const TRecentName& recent = t.Recent[RecentPlace(words, name.size())];
  if (recent.Size != name.size() || recent.Words[0] != words[0] || recent.Words[1] != words[1] ||
      recent.Words[2] != words[2])
    return false;
  TTallyRecord& r = *recent.Record;
  if (at < r.FirstAt) return false;
  ++r.Count;
  return true;
}
