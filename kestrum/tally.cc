#include "tally.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <string>

#include "platform/platform.h"

// Names are read as eight-byte words whose first byte is the name's first.
static_assert(std::endian::native == std::endian::little);

const TTallyNames TallyNames;
const TTallyCounts TallyCounts;

namespace {

constexpr std::size_t kKeyedSize = 24;
constexpr std::size_t kRecordBlockBits = 10;
constexpr std::size_t kRecordBlock = std::size_t{1} << kRecordBlockBits;
// Name bytes: blocks of 16 KiB, addressed by block and offset in 32 bits;
// a name of more than a quarter block gets a block of its own.
constexpr std::size_t kNameBlockBits = 14;
constexpr std::size_t kNameBlock = std::size_t{1} << kNameBlockBits;
constexpr std::size_t kMaxNameBlocks = std::size_t{1} << (32 - kNameBlockBits);
constexpr std::size_t kFirstSlots = 1024;
constexpr std::uint64_t kIndexMask = 0xFFFFFFFFULL;
// A worker's table is merged into the shards when it holds this many names;
// if its names came fewer than twice each by then, the worker sends them on
// in batches of kBatch from then on.
constexpr std::size_t kShareNames = std::size_t{1} << 14;
constexpr std::int64_t kRepeatsForTable = 2;
constexpr std::size_t kBatch = std::size_t{1} << 15;

unsigned char gFold[256];
bool gPlainAsciiFold = false;  // gFold maps A-Z to a-z and leaves all other ASCII

// The run's tally in shards by hash, each with its lock: where the workers'
// shares go. The sequential scan uses shard 0 alone, without locking.
struct TShardedTally {
  static constexpr int kShardBits = 6;
  static constexpr int kShards = 1 << kShardBits;
  std::array<TTallyTable, kShards> Shards;
  std::array<std::mutex, kShards> Locks;
};
TShardedTally gRunTally;

// The finished tally's report order: which record comes i-th. A record is
// named by its index in shard 0, or, once the shards were merged, by its
// shard (the top bits) and its index there. Empty: shard 0 as it stands.
std::vector<std::uint32_t> gOrder;
bool gSharded = false;
bool gFinished = false;
constexpr int kRefIndexBits = 32 - TShardedTally::kShardBits;

std::string_view NameOf(const TTallyTable& t, const TTallyRecord& r) {
  return std::string_view(t.Names[r.Name >> kNameBlockBits].get() + (r.Name & (kNameBlock - 1)), r.Size);
}

const TTallyRecord& RecordAt(const TTallyTable& t, std::size_t index) {
  return t.Records[index >> kRecordBlockBits][index & (kRecordBlock - 1)];
}

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Eight bytes folded at once; ASCII words without the table.
std::uint64_t FoldWord(std::uint64_t w) {
  if ((w & kHighBits) == 0 && gPlainAsciiFold) {
    // High bit of each byte: at least 'A', and above 'Z'; no carries, as
    // every byte is below 0x80.
    std::uint64_t atLeastA = w + 0x3F3F3F3F3F3F3F3FULL;
    std::uint64_t aboveZ = w + 0x2525252525252525ULL;
    return w | ((atLeastA & ~aboveZ & kHighBits) >> 2);
  }
  std::uint64_t folded = 0;
  for (int i = 0; i < 64; i += 8) folded |= static_cast<std::uint64_t>(gFold[(w >> i) & 0xFF]) << i;
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

void LoadCaseFolding() {
  PlatCaseFoldTable(gFold);
  gPlainAsciiFold = true;
  for (int c = 0; c < 128; ++c)
    if (gFold[c] != (c >= 'A' && c <= 'Z' ? c + 32 : c)) gPlainAsciiFold = false;
}

TNameKey KeyOf(std::string_view name) {
  const char* p = name.data();
  const std::size_t n = name.size();
  TNameKey k;
  k.Size = n;
  if (n < 8) {
    k.Head = k.Tail = FoldWord(ShortWord(p, n));
  } else {
    k.Head = FoldWord(Load8(p));
    k.Tail = FoldWord(Load8(p + n - 8));
    if (n > 16) k.Second = FoldWord(Load8(p + 8));
  }
  k.Hash = HashOfKey(n, k.Head, k.Second, k.Tail, p);
  return k;
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

TTallyRecord& MutableRecordAt(TTallyTable& t, std::size_t index) {
  return t.Records[index >> kRecordBlockBits][index & (kRecordBlock - 1)];
}

std::uint64_t SlotOf(std::uint64_t hash, std::size_t index) { return (hash & ~kIndexMask) | (index + 1); }

std::uint32_t StoreName(TTallyTable& t, std::string_view name) {
  if (name.size() > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
  const bool own = name.size() > kNameBlock / 4;
  if (own || t.NameBlock == 0 || t.NameUsed + name.size() > kNameBlock) {
    if (t.Names.size() == kMaxNameBlocks) throw std::bad_alloc();
    t.Names.emplace_back(new char[own ? name.size() : kNameBlock]);
    if (!own) {
      t.NameBlock = t.Names.size();
      t.NameUsed = 0;
    }
  }
  const std::size_t block = own ? t.Names.size() - 1 : t.NameBlock - 1;
  const std::size_t offset = own ? 0 : t.NameUsed;
  if (!name.empty()) std::memcpy(t.Names[block].get() + offset, name.data(), name.size());
  if (!own) t.NameUsed += name.size();
  return static_cast<std::uint32_t>((block << kNameBlockBits) | offset);
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
  const std::uint64_t tag = item.Key.Hash & ~kIndexMask;
  for (std::size_t s = item.Key.Hash & mask;; s = (s + 1) & mask) {
    const std::uint64_t slot = t.Slots[s];
    if (slot == 0) {
      const std::size_t index = t.Count;
      if ((index >> kRecordBlockBits) == t.Records.size()) t.Records.emplace_back(new TTallyRecord[kRecordBlock]);
      if (item.Key.Size > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
      MutableRecordAt(t, index) = TTallyRecord{item.Key.Head,
                                               item.Key.Second,
                                               item.Key.Tail,
                                               item.Count,
                                               item.FirstAt,
                                               StoreName(t, item.Name),
                                               static_cast<std::uint32_t>(item.Key.Size)};
      ++t.Count;
      t.Slots[s] = SlotOf(item.Key.Hash, index);
      return;
    }
    if ((slot & ~kIndexMask) != tag) continue;
    TTallyRecord& r = MutableRecordAt(t, (slot & kIndexMask) - 1);
    if (!Matches(t, r, item.Key, item.Name.data())) continue;
    r.Count += item.Count;
    if (item.FirstAt < r.FirstAt) {
      r.FirstAt = item.FirstAt;
      // Mostly the same spelling: kept once.
      if (NameOf(t, r) != item.Name) r.Name = StoreName(t, item.Name);
    }
    return;
  }
}

template <typename T>
void Prefetch(const T* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

int ShardOf(std::uint64_t hash) { return static_cast<int>(hash >> (64 - TShardedTally::kShardBits)); }

void AddItemsToTable(TTallyTable& t, const TTallyItem* items, const std::uint32_t* which, std::size_t n);

// The items into the shards of the run's tally: put in order of shard (by
// index, the items stay where they are), then each shard taken once under
// its lock.
void MergeItems(const std::vector<TTallyItem>& items, std::vector<std::uint32_t>& byShard) {
  std::array<std::size_t, TShardedTally::kShards + 1> start{};
  for (const TTallyItem& item : items) ++start[ShardOf(item.Key.Hash) + 1];
  for (int s = 0; s < TShardedTally::kShards; ++s) start[s + 1] += start[s];
  byShard.resize(items.size());
  std::array<std::size_t, TShardedTally::kShards> fill{};
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int s = ShardOf(items[i].Key.Hash);
    byShard[start[s] + fill[s]++] = static_cast<std::uint32_t>(i);
  }
  // Workers start at different shards, so that they seldom wait on a lock.
  static std::atomic<int> turn{0};
  const int first = (turn++ * 17) % TShardedTally::kShards;
  for (int k = 0; k < TShardedTally::kShards; ++k) {
    const int s = (first + k) % TShardedTally::kShards;
    if (start[s] == start[s + 1]) continue;
    std::lock_guard<std::mutex> lock(gRunTally.Locks[s]);
    AddItemsToTable(gRunTally.Shards[s], items.data(), byShard.data() + start[s], start[s + 1] - start[s]);
  }
}

void ClearTable(TTallyTable& t) {
  std::fill(t.Slots.begin(), t.Slots.end(), 0);
  t.Count = 0;
  t.Names.clear();
  t.NameUsed = t.NameBlock = 0;
}

void MergeWorkerTable(TWorkerTally& w) {
  w.Pending.resize(w.Table.Count);
  for (std::size_t i = 0; i < w.Table.Count; ++i) {
    const TTallyRecord& r = RecordAt(w.Table, i);
    w.Pending[i] = TTallyItem{KeyOfRecord(w.Table, r), NameOf(w.Table, r), r.Count, r.FirstAt};
  }
  MergeItems(w.Pending, w.ByShard);
  w.Pending.clear();
  ClearTable(w.Table);
  w.Entries = 0;
}

void MergePending(TWorkerTally& w) {
  // The names were kept as offsets into PendingNames, which may have moved.
  std::size_t at = 0;
  for (TTallyItem& item : w.Pending) {
    item.Name = std::string_view(w.PendingNames.data() + at, item.Name.size());
    at += item.Name.size();
  }
  MergeItems(w.Pending, w.ByShard);
  w.Pending.clear();
  w.PendingNames.clear();
}

std::uint32_t RefOf(int shard, std::size_t index) {
  // A shard of more names than the bits hold: the memory ran out long ago.
  if (index >> kRefIndexBits) throw std::bad_alloc();
  return (static_cast<std::uint32_t>(shard) << kRefIndexBits) | static_cast<std::uint32_t>(index);
}

const TTallyRecord& RecordOfRef(std::uint32_t ref, const TTallyTable** table) {
  const int shard = gSharded ? static_cast<int>(ref >> kRefIndexBits) : 0;
  *table = &gRunTally.Shards[shard];
  return RecordAt(**table, gSharded ? ref & ((1u << kRefIndexBits) - 1) : ref);
}

std::uint32_t RefAt(std::size_t i) { return gOrder.empty() ? static_cast<std::uint32_t>(i) : gOrder[i]; }

// The i-th record of the report. The report reads in order: the records
// and names a few rows on are fetched ahead, as the order jumps around.
const TTallyRecord& ReportRecord(std::size_t i, const TTallyTable** table) {
  constexpr std::size_t kRecordAhead = 16, kNameAhead = 8;
  if (!gOrder.empty()) {
    const TTallyTable* other;
    if (i + kRecordAhead < gOrder.size()) Prefetch(&RecordOfRef(gOrder[i + kRecordAhead], &other));
    if (i + kNameAhead < gOrder.size()) {
      const TTallyRecord& r = RecordOfRef(gOrder[i + kNameAhead], &other);
      Prefetch(NameOf(*other, r).data());
    }
  }
  return RecordOfRef(RefAt(i), table);
}

std::size_t FinishedSize() {
  if (!gOrder.empty() || gSharded) return gOrder.size();
  return gRunTally.Shards[0].Count;
}

// The first 24 bytes of a name, ASCII-lower-cased, big-endian and padded
// with zero bytes: where two names' prefixes differ they are in name order,
// so most comparisons of a sort need not touch the names.
struct TNameOrder {
  std::uint64_t First, Second, Third;
  std::uint32_t Ref;
};

std::uint64_t LowerPrefix(std::string_view name, std::size_t from) {
  std::uint64_t key = 0;
  for (std::size_t i = from; i < from + 8; ++i) {
    const auto c = i < name.size() ? static_cast<unsigned char>(LowerAsciiByte(name[i])) : 0u;
    key = (key << 8) | c;
  }
  return key;
}

int CompareNames(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(LowerAsciiByte(a[i]));
    const auto y = static_cast<unsigned char>(LowerAsciiByte(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

struct TCountOrder {
  std::int64_t Count;
  std::uint32_t Ref;
};

// Puts the report order in the given order of old places.
template <typename TOrder>
void Reorder(const std::vector<TOrder>& order) {
  std::vector<std::uint32_t> refs(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) refs[i] = order[i].Ref;
  gOrder.swap(refs);
}

// A big table does not fit the caches: the slot of an item some items ahead
// is fetched, and the record it points to a few items later, so that the
// lookups do not wait on memory one by one. ItemAt(j) gives the j-th item.
template <typename TItemAt>
void AddInTurn(TTallyTable& t, std::size_t n, TItemAt itemAt) {
  Grow(t, t.Count + n);
  constexpr std::size_t kSlotAhead = 16, kRecordAhead = 8, kCachedSlots = 1 << 13;
  const std::size_t mask = t.Slots.size() - 1;
  std::size_t i = 0;
  // A shard may be small and still out of the caches: the shards together
  // are as big as one table.
  if (t.Slots.size() > kCachedSlots || n > 4 * kSlotAhead) {
    for (std::size_t j = 0; j < kSlotAhead && j < n; ++j) Prefetch(&t.Slots[itemAt(j).Key.Hash & mask]);
    for (; i + kSlotAhead < n; ++i) {
      Prefetch(&t.Slots[itemAt(i + kSlotAhead).Key.Hash & mask]);
      const std::uint64_t slot = t.Slots[itemAt(i + kRecordAhead).Key.Hash & mask];
      if (slot != 0) Prefetch(&RecordAt(t, (slot & kIndexMask) - 1));
      AddKeyed(t, itemAt(i));
    }
  }
  for (; i < n; ++i) AddKeyed(t, itemAt(i));
}

void AddItemsToTable(TTallyTable& t, const TTallyItem* items, std::size_t n) {
  AddInTurn(t, n, [items](std::size_t j) -> const TTallyItem& { return items[j]; });
}

void AddItemsToTable(TTallyTable& t, const TTallyItem* items, const std::uint32_t* which, std::size_t n) {
  AddInTurn(t, n, [items, which](std::size_t j) -> const TTallyItem& { return items[which[j]]; });
}

void AddNamesToTable(TTallyTable& t, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  thread_local std::vector<TTallyItem> items;
  items.resize(n);
  for (std::size_t i = 0; i < n; ++i) items[i] = TTallyItem{KeyOf(names[i]), names[i], 1, at[i]};
  AddItemsToTable(t, items.data(), n);
}

}  // namespace

void AddNamesForWorker(TWorkerTally& w, const std::string_view* names, const std::int64_t* at, std::size_t n) {
  if (!w.Batches) {
    AddNamesToTable(w.Table, names, at, n);
    w.Entries += static_cast<std::int64_t>(n);
    if (w.Table.Count < kShareNames) return;
    const bool fewRepeats = w.Entries < kRepeatsForTable * static_cast<std::int64_t>(w.Table.Count);
    MergeWorkerTable(w);
    w.Batches = fewRepeats;
    return;
  }
  for (std::size_t i = 0; i < n; ++i) {
    // The name's bytes go to PendingNames; its view is set at the merge.
    w.Pending.push_back(TTallyItem{KeyOf(names[i]), names[i], 1, at[i]});
    w.PendingNames.append(names[i]);
  }
  if (w.Pending.size() >= kBatch) MergePending(w);
}

void FlushWorkerTally(TWorkerTally& w) {
  if (w.Batches) MergePending(w);
  MergeWorkerTable(w);
}

void ResetTally() {
  for (TTallyTable& t : gRunTally.Shards) t = TTallyTable();
  gOrder.clear();
  gOrder.shrink_to_fit();
  gSharded = false;
  gFinished = false;
  LoadCaseFolding();
}

void AddToTally(std::string_view name) {
  const std::int64_t at = static_cast<std::int64_t>(gRunTally.Shards[0].Count);
  AddNamesToTable(gRunTally.Shards[0], &name, &at, 1);
}

void AddNamesToTally(const std::string_view* names, const std::int64_t* at, std::size_t count) {
  AddNamesToTable(gRunTally.Shards[0], names, at, count);
}

void FinishTally(bool sharded) {
  if (gFinished) return;
  gFinished = true;
  gSharded = sharded;
  for (TTallyTable& t : gRunTally.Shards) {
    t.Slots.clear();
    t.Slots.shrink_to_fit();
  }
  if (!sharded) return;
  // The names by the offsets of their first entries: the order of the file.
  // The records go into buckets by offset first, then each small bucket is
  // sorted: quicker than one sort of them all, and only the order is built.
  std::size_t total = 0;
  std::int64_t last = 0;
  for (const TTallyTable& t : gRunTally.Shards) {
    total += t.Count;
    for (std::size_t i = 0; i < t.Count; ++i) last = std::max(last, RecordAt(t, i).FirstAt);
  }
  const std::size_t buckets = std::bit_ceil(total / 256 + 1);
  const std::int64_t width = last / static_cast<std::int64_t>(buckets) + 1;
  std::vector<std::size_t> start(buckets + 1);
  for (const TTallyTable& t : gRunTally.Shards)
    for (std::size_t i = 0; i < t.Count; ++i) ++start[static_cast<std::size_t>(RecordAt(t, i).FirstAt / width) + 1];
  for (std::size_t b = 0; b < buckets; ++b) start[b + 1] += start[b];
  gOrder.resize(total);
  {
    std::vector<std::size_t> fill(start.begin(), start.end() - 1);
    for (int s = 0; s < TShardedTally::kShards; ++s) {
      const TTallyTable& t = gRunTally.Shards[s];
      for (std::size_t i = 0; i < t.Count; ++i)
        gOrder[fill[static_cast<std::size_t>(RecordAt(t, i).FirstAt / width)]++] = RefOf(s, i);
    }
  }
  typedef std::pair<std::int64_t, std::uint32_t> TFirst;  // first offset, record
  std::vector<TFirst> bucket;
  const TTallyTable* table;
  for (std::size_t b = 0; b < buckets; ++b) {
    bucket.clear();
    for (std::size_t i = start[b]; i < start[b + 1]; ++i) {
      if (i + 8 < start[b + 1]) Prefetch(&RecordOfRef(gOrder[i + 8], &table));
      bucket.emplace_back(RecordOfRef(gOrder[i], &table).FirstAt, gOrder[i]);
    }
    std::sort(bucket.begin(), bucket.end());
    for (std::size_t i = 0; i < bucket.size(); ++i) gOrder[start[b] + i] = bucket[i].second;
  }
}

std::string_view TTallyNames::operator[](std::size_t i) const {
  const TTallyTable* t;
  const TTallyRecord& r = ReportRecord(i, &t);
  return NameOf(*t, r);
}

std::size_t TTallyNames::size() const { return FinishedSize(); }

std::int64_t TTallyCounts::operator[](std::size_t i) const {
  const TTallyTable* t;
  return ReportRecord(i, &t).Count;
}

std::size_t TTallyCounts::size() const { return FinishedSize(); }

void SortTally(bool byName) {
  const std::size_t n = FinishedSize();
  if (byName) {
    std::vector<TNameOrder> order(n);
    for (std::size_t i = 0; i < n; ++i) {
      const std::string_view name = TallyNames[i];
      order[i] = TNameOrder{LowerPrefix(name, 0), LowerPrefix(name, 8), LowerPrefix(name, 16), RefAt(i)};
    }
    std::stable_sort(order.begin(), order.end(), [](const TNameOrder& a, const TNameOrder& b) {
      if (a.First != b.First) return a.First < b.First;
      if (a.Second != b.Second) return a.Second < b.Second;
      if (a.Third != b.Third) return a.Third < b.Third;
      const TTallyTable *x, *y;
      const TTallyRecord &ra = RecordOfRef(a.Ref, &x), &rb = RecordOfRef(b.Ref, &y);
      return CompareNames(NameOf(*x, ra), NameOf(*y, rb)) < 0;
    });
    Reorder(order);
  } else {
    std::vector<TCountOrder> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = TCountOrder{TallyCounts[i], RefAt(i)};
    std::stable_sort(order.begin(), order.end(),
                     [](const TCountOrder& a, const TCountOrder& b) { return a.Count < b.Count; });
    Reorder(order);
  }
}

void SortTallyFor(bool alpha, bool number) {
  if (alpha) {
    SortTally(true);
  } else if (number) {
    SortTally(true);
    SortTally(false);
  }
}
