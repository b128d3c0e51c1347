#include "tally.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "tally_shards.h"

// Names are read as eight-byte words whose first byte is the name's first.
static_assert(std::endian::native == std::endian::little);

TShardedTally RunTally;
std::atomic<unsigned> ShardTurn{0};

namespace {

constexpr std::size_t kKeyedSize = 24;
constexpr std::size_t kMaxNameBlocks = std::size_t{1} << (32 - kNameBlockBits);
constexpr std::size_t kFirstSlots = 1024;  // most logs name a few hundred jobs
constexpr std::uint64_t kIndexMask = 0xFFFFFFFFULL;
// A worker's table is merged into the shards when it holds this many names
// (16K names: the table and its names stay within the second-level cache);
// if its names came fewer than twice each by then, a table saves no
// lookups in the shards, and the worker sends them on in batches of kBatch
// from then on (as many, so that a merge takes each shard's lock about as
// long either way).
constexpr std::size_t kShareNames = std::size_t{1} << 14;
constexpr std::int64_t kRepeatsForTable = 2;
constexpr std::size_t kBatch = std::size_t{1} << 14;
// Long names fill a share's bytes long before its count: it is merged at
// this many bytes of names too, so that the copies the workers hold add
// little to the run's own.
constexpr std::size_t kShareBytes = std::size_t{1} << 20;

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

// Names are read as eight-byte words: whole words from the front, then the
// last eight bytes (overlapping the word before unless the length is a
// multiple of eight). A name under eight bytes is one word, zero-padded.
std::uint64_t Load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

std::uint64_t ShortWord(const char* p, std::size_t n) {
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

std::uint64_t Mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ULL;
  h ^= h >> 32;
  return h;
}

// The hash of a name from its key's words; a name longer than a key also
// gives the words between them, so then it must be passed.
std::uint64_t HashOfKey(std::uint64_t size, std::uint64_t head, std::uint64_t second, std::uint64_t tail,
                        const char* name) {
  std::uint64_t h = Mix(0x9E3779B97F4A7C15ULL ^ size ^ head);
  if (size > 16) h = Mix(h ^ second);
  for (std::size_t at = 16; at + 8 < size; at += 8) h = Mix(h ^ FoldWord(Load8(name + at)));
  return Mix(Mix(h ^ tail));
}

// Made in place: a key copied right after it was made waits on the stores.
void MakeKey(TNameKey& k, std::string_view name) {
  const char* p = name.data();
  const std::size_t n = name.size();
  k.Size = n;
  k.Second = 0;
  if (n < 8) {
    k.Head = k.Tail = FoldWord(ShortWord(p, n));
  } else {
    k.Head = FoldWord(Load8(p));
    k.Tail = FoldWord(Load8(p + n - 8));
    if (n > 16) k.Second = FoldWord(Load8(p + 8));
  }
  k.Hash = HashOfKey(n, k.Head, k.Second, k.Tail, p);
}

// An item of one entry of the name, whose bytes are kept at kept.
void MakeItem(TTallyItem& item, std::string_view name, const char* kept, std::int64_t at) {
  MakeKey(item.Key, name);
  item.Name = kept;
  item.Count = 1;
  item.FirstAt = at;
}

TNameKey KeyOfRecord(const TTallyTable& t, const TTallyRecord& r) {
  return TNameKey{r.Head, r.Second, r.Tail, r.Size, HashOfKey(r.Size, r.Head, r.Second, r.Tail, NameOf(t, r).data())};
}

bool SameFolded(std::uint64_t x, std::uint64_t y) { return x == y || FoldWord(x) == FoldWord(y); }

// Names longer than a key: the bytes between the key's words.
bool RestMatches(const char* a, const char* b, std::size_t size) {
  for (std::size_t at = 16; at + 8 < size; at += 8)
    if (!SameFolded(Load8(a + at), Load8(b + at))) return false;
  return true;
}

std::uint64_t SlotOf(std::uint64_t hash, std::size_t index) { return (hash & ~kIndexMask) | (index + 1); }

std::uint32_t StoreName(TNameStore& store, std::string_view name) {
  if (name.size() > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  // A long name gets a block of its own, of just its size; the usual
  // blocks serve again once the store is emptied.
  const bool own = name.size() > kNameBlock / 4;
  if (own || store.Current == 0 || store.Used + name.size() > kNameBlock) {
    if (store.Blocks.size() == kMaxNameBlocks) throw std::bad_alloc();
    // Room in Large first: an own block that failed to get there would
    // serve later as one of the usual size.
    if (own && store.Large.size() == store.Large.capacity())
      store.Large.reserve(std::max<std::size_t>(8, 2 * store.Large.capacity()));
    if (!own && !store.Spare.empty()) {
      store.Blocks.push_back(std::move(store.Spare.back()));
      store.Spare.pop_back();
    } else {
      store.Blocks.push_back(
          std::make_unique_for_overwrite<char[]>(own ? std::max<std::size_t>(name.size(), 1) : kNameBlock));
    }
    if (own) {
      store.Large.push_back(store.Blocks.size() - 1);
    } else {
      store.Current = store.Blocks.size();
      store.Used = 0;
    }
  }
  const std::size_t block = own ? store.Blocks.size() - 1 : store.Current - 1;
  const std::size_t offset = own ? 0 : store.Used;
  if (!name.empty()) std::memcpy(store.Blocks[block].get() + offset, name.data(), name.size());
  if (!own) store.Used += name.size();
  store.Bytes += name.size();
  return static_cast<std::uint32_t>((block << kNameBlockBits) | offset);
}

// Empties the store; blocks of the usual size are kept for its next names,
// as fresh memory costs more than the copying.
void ClearNames(TNameStore& store) {
  for (std::size_t i : store.Large) store.Blocks[i].reset();
  for (std::unique_ptr<char[]>& b : store.Blocks)
    if (b) store.Spare.push_back(std::move(b));
  store.Blocks.clear();
  store.Large.clear();
  store.Used = store.Current = store.Bytes = 0;
}

void Place(std::vector<std::uint64_t>& slots, std::uint64_t slot, std::uint64_t hash) {
  const std::size_t mask = slots.size() - 1;
  std::size_t s = hash & mask;
  while (slots[s] != 0) s = (s + 1) & mask;
  slots[s] = slot;
}

// Room for the given number of records at most half full.
void Grow(TTallyTable& t, std::size_t records) {
  std::size_t size = t.Slots.empty() ? kFirstSlots : t.Slots.size();
  while (records * 2 > size) size *= 2;
  if (size == t.Slots.size()) return;
  std::vector<std::uint64_t> slots(size);
  for (std::size_t i = 0; i < t.Count; ++i) {
    const std::uint64_t hash = KeyOfRecord(t, RecordAt(t, i)).Hash;
    Place(slots, SlotOf(hash, i), hash);
  }
  t.Slots.swap(slots);
}

bool Matches(const TTallyTable& t, const TTallyRecord& r, const TNameKey& key, const char* name) {
  return r.Head == key.Head && r.Tail == key.Tail && r.Second == key.Second && r.Size == key.Size &&
         (key.Size <= kKeyedSize || RestMatches(NameOf(t, r).data(), name, key.Size));
}

// The lookup proper; the table has room for one more name.
void AddKeyed(TTallyTable& t, const TTallyItem& item) {
  const std::size_t mask = t.Slots.size() - 1;
  const TNameKey& key = item.Key;
  const std::uint64_t tag = key.Hash & ~kIndexMask;
  const std::string_view name(item.Name, key.Size);
  for (std::size_t s = key.Hash & mask;; s = (s + 1) & mask) {
    const std::uint64_t slot = t.Slots[s];
    if (slot == 0) {
      const std::size_t index = t.Count;
      if ((index >> kRecordBlockBits) == t.Records.size())
        t.Records.push_back(std::make_unique_for_overwrite<TTallyRecordBlock>());
      RecordAt(t, index) = TTallyRecord{key.Head,
                                        key.Second,
                                        key.Tail,
                                        item.Count,
                                        item.FirstAt,
                                        StoreName(t.Names, name),
                                        static_cast<std::uint32_t>(key.Size)};
      ++t.Count;
      t.LastFirst = std::max(t.LastFirst, item.FirstAt);
      t.Slots[s] = SlotOf(key.Hash, index);
      return;
    }
    if ((slot & ~kIndexMask) != tag) continue;
    TTallyRecord& r = RecordAt(t, (slot & kIndexMask) - 1);
    if (!Matches(t, r, key, item.Name)) continue;
    r.Count += item.Count;
    if (item.FirstAt < r.FirstAt) {
      r.FirstAt = item.FirstAt;
      // Mostly the same spelling: kept once.
      if (NameOf(t, r) != name) r.Name = StoreName(t.Names, name);
    }
    return;
  }
}

// The record whose slot matches the hash's tag, if any: the one to fetch
// ahead for it.
const TTallyRecord* LikelyRecord(const TTallyTable& t, std::uint64_t hash) {
  const std::size_t mask = t.Slots.size() - 1;
  const std::uint64_t tag = hash & ~kIndexMask;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const std::uint64_t slot = t.Slots[s];
    if (slot == 0) return nullptr;
    if ((slot & ~kIndexMask) == tag) return &RecordAt(t, (slot & kIndexMask) - 1);
  }
}

// A big table does not fit the caches: the slots of an item some items
// ahead are fetched, and the record they lead to a few items later, so that
// the lookups do not wait on memory one by one.
void AddItemsToTable(TTallyTable& t, const TTallyItem* items, std::size_t n) {
  Grow(t, t.Count + n);
  // A lookup costs about 10 ns and a read from memory about 200: 32 and
  // 16 items ahead cover it (bench/run's million-name file was flat from
  // 24/12 to 64/32). Tables of up to 8K slots (64 KiB) stay in the caches.
  constexpr std::size_t kSlotAhead = 32, kRecordAhead = 16, kCachedSlots = 1 << 13;
  const std::size_t mask = t.Slots.size() - 1;
  std::size_t i = 0;
  // A shard may be small and still out of the caches: the shards together
  // are as big as one table.
  if (t.Slots.size() > kCachedSlots || n > 4 * kSlotAhead) {
    // Primed and drained too: a shard's run of items may be short.
    for (std::size_t j = 0; j < kSlotAhead && j < n; ++j) Prefetch(&t.Slots[items[j].Key.Hash & mask]);
    for (std::size_t j = 0; j < kRecordAhead && j < n; ++j)
      if (const TTallyRecord* r = LikelyRecord(t, items[j].Key.Hash)) PrefetchRecord(*r);
    for (; i < n; ++i) {
      if (i + kSlotAhead < n) Prefetch(&t.Slots[items[i + kSlotAhead].Key.Hash & mask]);
      if (i + kRecordAhead < n)
        if (const TTallyRecord* r = LikelyRecord(t, items[i + kRecordAhead].Key.Hash)) PrefetchRecord(*r);
      AddKeyed(t, items[i]);
    }
  }
  for (; i < n; ++i) AddKeyed(t, items[i]);
}

int ShardOf(std::uint64_t hash) { return static_cast<int>(hash >> (64 - TShardedTally::kShardBits)); }

void Pend(TWorkerTally& w, const TTallyItem& item) {
  if (w.Pending.empty()) w.Pending.resize(TShardedTally::kShards);
  w.Pending[ShardOf(item.Key.Hash)].push_back(item);
  ++w.PendingCount;
}

// The pending names into the shards of the run's tally, each shard taken
// once under its lock.
void MergePending(TWorkerTally& w) {
  // Workers start at different shards, so that they seldom wait on a lock.
  const int first = static_cast<int>(ShardTurn++ * 17u % TShardedTally::kShards);
  for (int k = 0; k < TShardedTally::kShards && w.PendingCount > 0; ++k) {
    const int s = (first + k) % TShardedTally::kShards;
    std::vector<TTallyItem>& items = w.Pending[s];
    if (items.empty()) continue;
    {
      std::lock_guard<std::mutex> lock(RunTally.Locks[s]);
      AddItemsToTable(RunTally.Shards[s], items.data(), items.size());
    }
    w.PendingCount -= items.size();
    items.clear();
  }
  ClearNames(w.PendingNames);
}

void ClearTable(TTallyTable& t) {
  std::fill(t.Slots.begin(), t.Slots.end(), 0);
  t.Count = 0;
  t.LastFirst = 0;
  ClearNames(t.Names);
}

void MergeWorkerTable(TWorkerTally& w) {
  for (std::size_t i = 0; i < w.Table.Count; ++i) {
    const TTallyRecord& r = RecordAt(w.Table, i);
    Pend(w, TTallyItem{KeyOfRecord(w.Table, r), NameOf(w.Table, r).data(), r.Count, r.FirstAt});
  }
  MergePending(w);
  ClearTable(w.Table);
  w.Entries = 0;
}

void AddNamesToTable(TTallyTable& t, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  thread_local std::vector<TTallyItem> items;
  items.resize(n);
  for (std::size_t i = 0; i < n; ++i) MakeItem(items[i], names[i], names[i].data(), at[i]);
  AddItemsToTable(t, items.data(), n);
}

}  // namespace

void TWorkerTallyDeleter::operator()(TWorkerTally* w) const { delete w; }

TWorkerTallyPtr NewWorkerTally() { return TWorkerTallyPtr(new TWorkerTally); }

void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  if (!w.Batches) {
    AddNamesToTable(w.Table, names, at, n);
    w.Entries += static_cast<std::int64_t>(n);
    if (w.Table.Count < kShareNames && w.Table.Names.Bytes < kShareBytes) return;
    const bool fewRepeats = w.Entries < kRepeatsForTable * static_cast<std::int64_t>(w.Table.Count);
    MergeWorkerTable(w);
    w.Batches = fewRepeats;
    return;
  }
  // The items are made first and filed by shard after: a copy straight
  // from the making would wait on the stores just made.
  thread_local std::vector<TTallyItem> items;
  items.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    MakeItem(items[i], names[i], NameBytes(w.PendingNames, StoreName(w.PendingNames, names[i])), at[i]);
  for (std::size_t i = 0; i < n; ++i) Pend(w, items[i]);
  if (w.PendingCount >= kBatch || w.PendingNames.Bytes >= kShareBytes) MergePending(w);
}

void FlushWorkerTally(TWorkerTally& w) {
  if (w.Batches) MergePending(w);
  MergeWorkerTable(w);
}

void ResetTally() {
  for (TTallyTable& t : RunTally.Shards) t = TTallyTable();
  ForgetTallyOrder();
}

void AddToTally(std::string_view name) {
  const std::int64_t at = static_cast<std::int64_t>(RunTally.Shards[0].Count);
  AddNamesToTable(RunTally.Shards[0], &name, &at, 1);
}

void AddNamesToTally(const std::string_view* names, const std::int64_t* at, std::size_t count) {
  AddNamesToTable(RunTally.Shards[0], names, at, count);
}
