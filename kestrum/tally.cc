#include "tally.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

#include "invariants.h"
#include "platform/platform.h"
#include "tally_internal.h"

namespace {

constexpr std::size_t kKeyedSize = 24;
// A place holds the block index in its bits above kNameBlockBits.
constexpr std::size_t kMaxNameBlocks = std::size_t{1} << (kNamePlaceBits - kNameBlockBits);
constexpr std::size_t kFirstSlots = 1024;  // most logs name a few hundred jobs
constexpr std::uint64_t kIndexMask = 0xFFFFFFFFULL;
// Record blocks a table makes one by one: 32K names, more than a worker's
// share holds.
constexpr std::size_t kSmallTableBlocks = 32;
// Usual name blocks a store makes one by one: 2 MiB of names, twice what
// a worker's share holds (kShareBytes).
constexpr std::size_t kSmallStoreBlocks = 128;
// Blocks whose scans pass by the recent names after one that found few
// there.
constexpr int kRecentOffBlocks = 64;
constexpr std::size_t kBatchNames = 512;
// Tables of up to 8K slots (64 KiB) stay in the caches; the slots of bigger
// ones are fetched ahead of their lookups.
constexpr std::size_t kCachedSlots = std::size_t{1} << 13;
// A worker's table is merged into the shards when it holds this many names
// (16K names: the table and its names stay within the second-level cache).
constexpr std::size_t kShareNames = std::size_t{1} << 14;
// Long names fill a share's bytes long before its count: it is merged at
// this many bytes of names too, so that the copies the workers hold add
// little to the run's own.
constexpr std::size_t kShareBytes = std::size_t{1} << 20;
// Counts the merges, so that each starts at a shard of its own. Unsigned,
// so that it wraps harmlessly.
std::atomic<unsigned> gMergeTurn{0};
// The shard a merge starts at moves on by this much each time: a number
// prime to the shard count, so that the starts of merges that follow each
// other lie far apart and every shard takes its turn first.
constexpr unsigned kTurnStride = 17;

struct TCaseFold {
  unsigned char Of[256];
  bool PlainAscii;  // maps A-Z to a-z and leaves all other ASCII
};

TCaseFold LoadCaseFolding() {
  TCaseFold f;
  PlatCaseFoldTable(f.Of);
  f.PlainAscii = true;
  for (int c = 0; c < 128; ++c)
    if (f.Of[c] != static_cast<unsigned char>(LowerAsciiByte(static_cast<char>(c)))) f.PlainAscii = false;
  return f;
}

// Loaded before anything can count: a table of zeros would make every two
// names of one length the same name.
const TCaseFold gFold = LoadCaseFolding();

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Eight bytes folded at once; ASCII words without the table.
std::uint64_t FoldWord(std::uint64_t w) {
  if ((w & kHighBits) == 0 && gFold.PlainAscii) {
    // High bit of each byte: at least 'A', and above 'Z'; no carries, as
    // every byte is below 0x80.
    std::uint64_t atLeastA = w + 0x3F3F3F3F3F3F3F3FULL;
    std::uint64_t aboveZ = w + 0x2525252525252525ULL;
    return w | ((atLeastA & ~aboveZ & kHighBits) >> 2);
  }
  std::uint64_t folded = 0;
  for (int i = 0; i < 64; i += 8) folded |= static_cast<std::uint64_t>(gFold.Of[(w >> i) & 0xFF]) << i;
  return folded;
}

// The hash of a name from its key's words and size; a name longer than a
// key also gives the words between them, so then its bytes must be passed.
std::uint64_t HashOfKey(const TNameKey& k, const char* name) {
  std::uint64_t h = Mix(0x9E3779B97F4A7C15ULL ^ k.Size ^ k.FirstWord);
  if (k.Size > 16) h = Mix(h ^ k.SecondWord);
  for (std::size_t at = 16; at + 8 < k.Size; at += 8) h = Mix(h ^ FoldWord(Load8(name + at)));
  return Mix(Mix(h ^ k.LastWord));
}

// Fills the key where it is kept: a key copied right after it was made
// would wait for the stores that made it.
void MakeKey(TNameKey& k, std::string_view name, const std::uint64_t words[3]) {
  k.Size = name.size();
  k.FirstWord = FoldWord(words[0]);
  k.SecondWord = FoldWord(words[1]);
  k.LastWord = FoldWord(words[2]);
  k.Hash = HashOfKey(k, name.data());
}

TNameKey KeyOfRecord(const TTallyTable& t, const TTallyRecord& r) {
  const std::string_view name = NameOf(t, r);
  TNameKey k{r.FirstWord, r.SecondWord, r.LastWord, name.size(), 0};
  k.Hash = HashOfKey(k, name.data());
  return k;
}

bool SameFolded(std::uint64_t x, std::uint64_t y) { return x == y || FoldWord(x) == FoldWord(y); }

// Names longer than a key: the bytes between the key's words.
bool RestMatches(const char* a, const char* b, std::size_t size) {
  for (std::size_t at = 16; at + 8 < size; at += 8)
    if (!SameFolded(Load8(a + at), Load8(b + at))) return false;
  return true;
}

std::uint64_t SlotOf(std::uint64_t hash, std::size_t index) { return (hash & ~kIndexMask) | (index + 1); }

// A name's first slot to try, from the hash's high half: the part its slot
// keeps, so that a table grows without reading its records and names again.
std::size_t HomeOf(std::uint64_t hash, std::size_t mask) { return static_cast<std::size_t>(hash >> 32) & mask; }

// Room in the vector for more items, so that the pushes that follow cannot
// fail; it grows by doubling, as a push would grow it, so that reserving a
// little each time stays linear.
template <class V>
void ReserveMore(V& v, std::size_t more) {
  if (v.capacity() - v.size() < more) v.reserve(std::max(v.size() + more, 2 * v.capacity()));
}

// The invariants written above TNameStore, after every change (of Large,
// the entry that changed).
void CheckNameStore(const TNameStore& store) {
  ORVELLA_INVARIANT(store.Current <= store.Blocks.size() && store.Used <= kNameBlock);
  ORVELLA_INVARIANT(store.Large.empty() ||
                    (store.Large.back() < store.Blocks.size() && store.Large.back() + 1 != store.Current));
}

// A block of its own for a long name, of just its size, with room for the
// size before it when the reference cannot hold it.
TNameRef StoreLongName(TNameStore& store, std::string_view name) {
  const std::size_t header = name.size() >= kSizeInStore ? 8 : 0;
  // Room in Large before the block is made: were that to fail after, the
  // long block would stay unlisted, and would later be taken back for
  // names of the usual size.
  ReserveMore(store.Large, 1);
  store.Blocks.push_back(TNameBlockPtr(new char[header + name.size()]));
  store.Large.push_back(store.Blocks.size() - 1);
  char* block = store.Blocks.back().get();
  if (header) {
    const std::uint64_t size = name.size();
    std::memcpy(block, &size, 8);
  }
  std::memcpy(block + header, name.data(), name.size());
  CheckNameStore(store);
  return (std::min<std::uint64_t>(name.size(), kSizeInStore) << kNamePlaceBits) |
         ((store.Blocks.size() - 1) << kNameBlockBits | header);
}

// Spare blocks for usual names: one at a time while the store is small,
// then a large page of them, as with records: a big store's names then take
// one page fault a large page rather than one every four kilobytes (a
// million names on one CPU: 1,673 page faults instead of 5,237, and 4 to 7 %
// less time). A worker's share, merged at a megabyte of names, never takes one.
void AddNameBlocks(TNameStore& store) {
  if (store.Blocks.size() - store.Large.size() < kSmallStoreBlocks) {
    store.Spare.push_back(TNameBlockPtr(new char[kNameBlock]));
    return;
  }
  constexpr std::size_t blocks = kLargePage / kNameBlock;
  ReserveMore(store.Spare, blocks);
  ReserveMore(store.Room, 1);
  store.Room.emplace_back(static_cast<char*>(NewPagedMemory(kLargePage, true)), TPagedFree{kLargePage, true});
  // The last is taken first: the page fills from its start.
  for (std::size_t i = blocks; i-- > 0;)
    store.Spare.push_back(TNameBlockPtr(store.Room.back().get() + i * kNameBlock, TNameBlockFree{false}));
}

TNameRef StoreName(TNameStore& store, std::string_view name) {
  if (store.Blocks.size() == kMaxNameBlocks) throw std::bad_alloc();
  store.Bytes += name.size();
  if (name.size() > kNameBlock / 4) return StoreLongName(store, name);
  if (store.Current == 0 || store.Used + name.size() > kNameBlock) {
    // The usual blocks serve again once the store is emptied.
    if (store.Spare.empty()) AddNameBlocks(store);
    store.Blocks.push_back(std::move(store.Spare.back()));
    store.Spare.pop_back();
    store.Current = store.Blocks.size();
    store.Used = 0;
  }
  const std::size_t block = store.Current - 1, offset = store.Used;
  if (!name.empty()) std::memcpy(store.Blocks[block].get() + offset, name.data(), name.size());
  store.Used += name.size();
  CheckNameStore(store);
  return (std::uint64_t{name.size()} << kNamePlaceBits) | (block << kNameBlockBits | offset);
}

// Room for the given number of records at most half full. A slot holds a
// record's index + 1 in 32 bits: a table that would hold more records has
// run out of room, as it would have run out of memory at about that size.
void MakeRoomFor(TTallyTable& t, std::size_t records) {
  if (records >= kIndexMask) throw std::bad_alloc();
  std::size_t size = t.Slots.empty() ? kFirstSlots : t.Slots.size();
  while (records * 2 > size) size *= 2;
  if (size == t.Slots.size()) return;
  decltype(t.Slots) slots(size);
  const std::size_t mask = size - 1;
  // In the order of the old slots: a home in the new table is the old one,
  // or that plus the old size, so the writes go up its two halves in turn
  // rather than all over it.
  for (const std::uint64_t slot : t.Slots) {
    if (slot == 0) continue;
    std::size_t s = HomeOf(slot, mask);
    while (slots[s] != 0) s = (s + 1) & mask;
    slots[s] = slot;
  }
  t.Slots.swap(slots);
  ORVELLA_INVARIANT(std::has_single_bit(t.Slots.size()) && 2 * records <= t.Slots.size());
}

// Blocks for more records: one at a time while the table is small, then a
// large page of them, as a big table's lookups land all over its records.
void AddRecordBlocks(TTallyTable& t) {
  const std::size_t blocks = t.Records.size() < kSmallTableBlocks ? 1 : kLargePage / sizeof(TTallyRecordBlock);
  ReserveMore(t.Records, blocks);
  ReserveMore(t.RecordRoom, 1);
  // Not cleared: a record is written whole when it is made, and only the
  // memory of records made is touched.
  const std::size_t bytes = blocks * sizeof(TTallyRecordBlock);
  TTallyRecordBlock* room = static_cast<TTallyRecordBlock*>(NewPagedMemory(bytes, true));
  t.RecordRoom.emplace_back(room, TPagedFree{bytes, true});
  for (std::size_t i = 0; i < blocks; ++i) t.Records.push_back(room + i);
}

bool Matches(const TTallyTable& t, const TTallyRecord& r, const TNameKey& key, const char* name) {
  if (r.FirstWord != key.FirstWord || r.LastWord != key.LastWord || r.SecondWord != key.SecondWord ||
      (r.Name >> kNamePlaceBits) != std::min(key.Size, kSizeInStore))
    return false;
  if (key.Size <= kKeyedSize) return true;
  const char* bytes = NameBytes(t.Names, r.Name);
  return NameSize(r.Name, bytes) == key.Size && RestMatches(bytes, name, key.Size);
}

// Finds the item's name in the table and adds its entries, or adds it as a
// new name; the table has room for one more. Returns the record's index.
std::size_t FindOrAdd(TTallyTable& t, const TTallyItem& item) {
  const std::size_t mask = t.Slots.size() - 1;
  const TNameKey& key = item.Key;
  const std::uint64_t tag = key.Hash & ~kIndexMask;
  const std::string_view name(item.Name, key.Size);
  for (std::size_t s = HomeOf(key.Hash, mask);; s = (s + 1) & mask) {
    const std::uint64_t slot = t.Slots[s];
    if (slot == 0) {
      const std::size_t index = t.Count;
      if ((index >> kRecordBlockBits) == t.Records.size()) AddRecordBlocks(t);
      RecordAt(t, index) =
          TTallyRecord{key.FirstWord, key.SecondWord, key.LastWord, item.Count, item.FirstAt, StoreName(t.Names, name)};
      ++t.Count;
      t.Slots[s] = SlotOf(key.Hash, index);
      return index;
    }
    if ((slot & ~kIndexMask) != tag) continue;
    const std::size_t index = (slot & kIndexMask) - 1;
    TTallyRecord& r = RecordAt(t, index);
    if (!Matches(t, r, key, item.Name)) continue;
    r.Count += item.Count;
    if (item.FirstAt < r.FirstAt) {
      r.FirstAt = item.FirstAt;
      // An earlier entry brings its own spelling; mostly it is the same, and
      // then the stored one serves.
      if (NameOf(t, r) != name) r.Name = StoreName(t.Names, name);
    }
    return index;
  }
}

// The record whose slot matches the hash's tag, if any: the one to fetch
// ahead for it.
const TTallyRecord* LikelyRecord(const TTallyTable& t, std::uint64_t hash) {
  const std::size_t mask = t.Slots.size() - 1;
  const std::uint64_t tag = hash & ~kIndexMask;
  for (std::size_t s = HomeOf(hash, mask);; s = (s + 1) & mask) {
    const std::uint64_t slot = t.Slots[s];
    if (slot == 0) return nullptr;
    if ((slot & ~kIndexMask) == tag) return &RecordAt(t, (slot & kIndexMask) - 1);
  }
}

// A big table does not fit the caches: the slots of an item some items
// ahead are fetched, and the record they lead to a few items later, so that
// the lookups do not wait on memory one by one. The records' indexes go to
// records when it is given.
void AddItemsToTable(TTallyTable& t, const TTallyItem* items, std::size_t n, std::size_t* records = nullptr) {
  MakeRoomFor(t, t.Count + n);
  // A lookup costs about 10 ns and a read from memory about 200: 32 and
  // 16 items ahead cover it (bench/run's million-name file was flat from
  // 24/12 to 64/32).
  constexpr std::size_t kSlotAhead = 32, kRecordAhead = 16;
  const std::size_t mask = t.Slots.size() - 1;
  // The items fetched ahead: none in a small table. A shard may be small and
  // still out of the caches, as the shards together are as big as one table.
  const std::size_t ahead = t.Slots.size() > kCachedSlots || n > 4 * kSlotAhead ? n : 0;
  // The fetches start before the first item, and the last items are looked
  // up without new ones, as a shard's run of items may be short.
  for (std::size_t j = 0; j < kSlotAhead && j < ahead; ++j) Prefetch(&t.Slots[HomeOf(items[j].Key.Hash, mask)]);
  for (std::size_t j = 0; j < kRecordAhead && j < ahead; ++j)
    if (const TTallyRecord* r = LikelyRecord(t, items[j].Key.Hash)) PrefetchRecord(*r);
  for (std::size_t i = 0; i < n; ++i) {
    if (i + kSlotAhead < ahead) Prefetch(&t.Slots[HomeOf(items[i + kSlotAhead].Key.Hash, mask)]);
    if (i + kRecordAhead < ahead)
      if (const TTallyRecord* r = LikelyRecord(t, items[i + kRecordAhead].Key.Hash)) PrefetchRecord(*r);
    const std::size_t r = FindOrAdd(t, items[i]);
    if (records) records[i] = r;
  }
}

// From the hash's low half, which the slots do not keep: in a shard's table,
// the bits its slots are placed by vary as much as in one table.
int ShardOf(std::uint64_t hash) { return static_cast<int>(hash >> (32 - TTally::kShardBits) & (TTally::kShards - 1)); }

// Empties the table; the name store's blocks of the usual size are kept for
// its next names, as fresh memory costs more than the copying.
void ClearTable(TTallyTable& t) {
  std::fill(t.Slots.begin(), t.Slots.end(), 0);
  std::fill(t.Recent.begin(), t.Recent.end(), TRecentName());
  t.RecentOff = 0;
  t.RecentFound = 0;
  t.Count = 0;
  TNameStore& store = t.Names;
  for (std::size_t i : store.Large) store.Blocks[i].reset();
  for (TNameBlockPtr& b : store.Blocks)
    if (b) store.Spare.push_back(std::move(b));
  store.Blocks.clear();
  store.Large.clear();
  store.Used = store.Current = store.Bytes = 0;
  CheckNameStore(store);
}

// The names of the batch's lookups become the names met lately.
void RememberRecent(TTallyTable& t, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    const TTallyItem& item = t.Batch[j];
    if (item.Key.Size > kKeyedSize) continue;
    std::uint64_t words[3];
    RawWords(std::string_view(item.Name, item.Key.Size), words);
    TRecentName& recent = t.Recent[RecentPlace(words, item.Key.Size)];
    std::copy(words, words + 3, recent.Words);
    recent.Size = item.Key.Size;
    recent.Record = &RecordAt(t, t.BatchRecords[j]);
  }
}

// The names are looked up, and then, when remember says so, are the names
// met lately.
void AddBatchToTable(TTallyTable& t, const std::string_view* names, const std::int64_t* at, std::size_t n,
                     bool remember) {
  // The room only grows: a batch's items are all written before they are
  // read, and a resize to each batch's own size made anew the items that
  // the next, larger batch took (1.2 % of a scan's instructions).
  if (t.Batch.size() < n) {
    t.Batch.resize(n);
    t.BatchRecords.resize(n);
  }
  // The table grows before the names' slots are fetched, while their keys
  // are made: by their lookups, the slots have come from memory (a tally of
  // a million names took 5 % less time than with the lookups' own fetches
  // alone, which come too late for the first slots).
  MakeRoomFor(t, t.Count + n);
  const std::size_t mask = t.Slots.size() - 1;
  const bool fetch = t.Slots.size() > kCachedSlots;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string_view name = names[i];
    std::uint64_t words[3];
    RawWords(name, words);
    TTallyItem& item = t.Batch[i];
    MakeKey(item.Key, name, words);
    if (fetch) Prefetch(&t.Slots[HomeOf(item.Key.Hash, mask)]);
    item.Name = name.data();
    item.Count = 1;
    item.FirstAt = at[i];
  }
  AddItemsToTable(t, t.Batch.data(), n, remember ? t.BatchRecords.data() : nullptr);
  if (remember) RememberRecent(t, n);
}

// The names of a block that its scan did not find among the names met
// lately (CountedAsRecent), in batches of at most kBatchNames, as many as a
// read of 64 KiB holds: a batch's items then stay in the caches from the
// pass that makes them to their lookups (with a million names and 1 MiB
// blocks taken whole, a run on both CPUs took a tenth longer).
//
// Where names hardly repeat, the recent names would only cost: a block
// whose scan found under a quarter of its entries there leaves them out of
// the scans of the next blocks for a while. The first block of a table
// finds no name met lately, whatever the file, so it does not judge them.
void AddNamesToTable(TTallyTable& t, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  const bool recentOn = t.RecentOff == 0;  // as the block's scan found it
  if (!recentOn) {
    --t.RecentOff;
  } else if (t.Recent.empty()) {
    t.Recent.resize(kRecentNames);
  } else if (const std::size_t entries = n + t.RecentFound; entries >= 64 && t.Count > 0 && n * 4 > entries * 3) {
    t.RecentOff = kRecentOffBlocks;
  }
  t.RecentFound = 0;
  for (std::size_t i = 0; i < n; i += kBatchNames)
    AddBatchToTable(t, names + i, at + i, std::min(kBatchNames, n - i), recentOn);
}

}  // namespace

void TTallyDeleter::operator()(TTally* t) const { delete t; }

TTallyPtr NewTally() { return TTallyPtr(new TTally); }

TTallyTable& CountingTable(TTally& tally) { return tally.Shards[0]; }
TTallyTable& CountingTable(TWorkerTally& share) { return share.Table; }

void AddNamesToTally(TTally& tally, const std::string_view* names, const std::int64_t* at, std::size_t count) {
  AddNamesToTable(tally.Shards[0], names, at, count);
}

void AddToTally(TTally& tally, std::string_view name) {
  const std::int64_t at = static_cast<std::int64_t>(tally.Shards[0].Count);
  AddNamesToTally(tally, &name, &at, 1);
}

void TTallyDeleter::operator()(TWorkerTally* w) const { delete w; }

TWorkerTallyPtr NewWorkerTally(TTally& into) { return TWorkerTallyPtr(new TWorkerTally{&into, {}, {}}); }

void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  ORVELLA_INVARIANT(w.Into != nullptr);
  AddNamesToTable(w.Table, names, at, n);
  if (w.Table.Count >= kShareNames || w.Table.Names.Bytes >= kShareBytes) FlushWorkerTally(w);
}

// The share's names into the shards of the tally it was made for: grouped
// by shard in place (each swap puts one item where its shard's run is),
// then each shard taken once under its lock.
void FlushWorkerTally(TWorkerTally& w) {
  const std::size_t n = w.Table.Count;
  w.Items.resize(n);
  std::array<std::size_t, TTally::kShards + 1> start{};
  for (std::size_t i = 0; i < n; ++i) {
    const TTallyRecord& r = RecordAt(w.Table, i);
    w.Items[i] = TTallyItem{KeyOfRecord(w.Table, r), NameOf(w.Table, r).data(), r.Count, r.FirstAt};
    ++start[ShardOf(w.Items[i].Key.Hash) + 1];
  }
  for (int s = 0; s < TTally::kShards; ++s) start[s + 1] += start[s];
  std::array<std::size_t, TTally::kShards + 1> next = start;
  for (int s = 0; s < TTally::kShards; ++s)
    while (next[s] < start[s + 1]) {
      const int home = ShardOf(w.Items[next[s]].Key.Hash);
      if (home == s) {
        ++next[s];
      } else {
        std::swap(w.Items[next[s]], w.Items[next[home]++]);
      }
    }
  const unsigned first = gMergeTurn++ * kTurnStride;
  for (unsigned k = 0; k < TTally::kShards; ++k) {
    const unsigned s = (first + k) % TTally::kShards;
    if (start[s] == start[s + 1]) continue;
    std::lock_guard<std::mutex> lock(w.Into->Locks[s]);
    AddItemsToTable(w.Into->Shards[s], w.Items.data() + start[s], start[s + 1] - start[s]);
  }
  ClearTable(w.Table);
}
