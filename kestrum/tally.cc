#include "tally.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "platform/platform.h"

TStringArray TallyNames;
std::vector<std::int64_t> TallyCounts;

// Names are read as eight-byte words whose first byte is the name's first.
static_assert(std::endian::native == std::endian::little);

namespace {

// A name's case-folded first, second and last eight bytes with its size:
// for names of up to 24 bytes the key alone decides equality.
struct TNameKey {
  std::uint64_t Head = 0, Second = 0, Tail = 0;
  std::uint64_t Size = 0;
  std::uint64_t Hash = 0;
};
constexpr std::size_t kKeyedSize = 24;

// Open addressing with the keys in the slots, so that a lookup on a big
// table reads one slot and the count: a slot is half a cache line.
struct alignas(32) TSlot {
  std::uint64_t Head = 0, Second = 0, Tail = 0;
  std::uint32_t Size = 0;   // capped; longer names are compared in full
  std::uint32_t Index = 0;  // the name's index + 1; 0 is an empty slot
};

// The lookup side of the tally; the names and counts are TallyNames and
// TallyCounts.
struct TTallyIndex {
  std::vector<TSlot> Slots;
  unsigned char Fold[256] = {};
  bool PlainAsciiFold = false;      // Fold maps A-Z to a-z and leaves all other ASCII
  std::vector<TNameKey> BatchKeys;  // AddNamesToTally's scratch, kept for its capacity
};
TTallyIndex gIndex;

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// Eight bytes folded at once; ASCII words without the table.
std::uint64_t FoldWord(std::uint64_t w) {
  if ((w & kHighBits) == 0 && gIndex.PlainAsciiFold) {
    // High bit of each byte: at least 'A', and above 'Z'; no carries, as
    // every byte is below 0x80.
    std::uint64_t atLeastA = w + 0x3F3F3F3F3F3F3F3FULL;
    std::uint64_t aboveZ = w + 0x2525252525252525ULL;
    return w | ((atLeastA & ~aboveZ & kHighBits) >> 2);
  }
  std::uint64_t folded = 0;
  for (int i = 0; i < 64; i += 8) folded |= static_cast<std::uint64_t>(gIndex.Fold[(w >> i) & 0xFF]) << i;
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

bool SameFolded(std::uint64_t x, std::uint64_t y) { return x == y || FoldWord(x) == FoldWord(y); }

// Names longer than a key: the sizes and the bytes between the key's words.
bool RestMatches(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t at = 16; at + 8 < a.size(); at += 8)
    if (!SameFolded(Load8(a.data() + at), Load8(b.data() + at))) return false;
  return true;
}

std::uint32_t CappedSize(std::uint64_t size) {
  return size < 0xFFFFFFFFULL ? static_cast<std::uint32_t>(size) : 0xFFFFFFFFu;
}

bool SlotMatches(const TSlot& slot, const TNameKey& key) {
  return slot.Head == key.Head && slot.Tail == key.Tail && slot.Second == key.Second &&
         slot.Size == CappedSize(key.Size);
}

void Place(const TSlot& slot, std::uint64_t hash) {
  const std::size_t mask = gIndex.Slots.size() - 1;
  std::size_t s = hash & mask;
  while (gIndex.Slots[s].Index != 0) s = (s + 1) & mask;
  gIndex.Slots[s] = slot;
}

TSlot SlotOf(const TNameKey& key, std::size_t index) {
  TSlot slot;
  slot.Head = key.Head;
  slot.Second = key.Second;
  slot.Tail = key.Tail;
  slot.Size = CappedSize(key.Size);
  slot.Index = static_cast<std::uint32_t>(index + 1);
  return slot;
}

// Room for the given number of names at most half full. The slots are moved
// over by their keys; only names longer than a key are read again.
void Grow(std::size_t names) {
  std::size_t size = gIndex.Slots.empty() ? 1024 : gIndex.Slots.size();
  while (names * 2 > size) size *= 2;
  if (size == gIndex.Slots.size()) return;
  std::vector<TSlot> old(size);
  old.swap(gIndex.Slots);
  if (old.empty()) {
    // After a sort: the names moved, so the slots are made from the names.
    for (std::size_t i = 0; i < TallyNames.size(); ++i) {
      TNameKey key = KeyOf(TallyNames[i]);
      Place(SlotOf(key, i), key.Hash);
    }
    return;
  }
  for (const TSlot& slot : old) {
    if (slot.Index == 0) continue;
    const std::uint64_t hash = slot.Size <= kKeyedSize
                                   ? HashOfKey(slot.Size, slot.Head, slot.Second, slot.Tail, nullptr)
                                   : KeyOf(TallyNames[slot.Index - 1]).Hash;
    Place(slot, hash);
  }
}

// The lookup proper; the table has room for one more name.
void AddKeyed(std::string_view name, const TNameKey& key) {
  const std::size_t mask = gIndex.Slots.size() - 1;
  for (std::size_t s = key.Hash & mask;; s = (s + 1) & mask) {
    TSlot& slot = gIndex.Slots[s];
    if (slot.Index == 0) {
      slot = SlotOf(key, TallyNames.size());
      TallyNames.emplace_back(name);
      TallyCounts.push_back(1);
      return;
    }
    if (SlotMatches(slot, key) && (key.Size <= kKeyedSize || RestMatches(TallyNames[slot.Index - 1], name))) {
      ++TallyCounts[slot.Index - 1];
      return;
    }
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

int CompareNames(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(LowerAsciiByte(a[i]));
    const auto y = static_cast<unsigned char>(LowerAsciiByte(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Puts the names and counts in the given order of old places.
template <typename TOrder>
void Reorder(const std::vector<TOrder>& order) {
  TStringArray names;
  std::vector<std::int64_t> counts;
  names.reserve(order.size());
  counts.reserve(order.size());
  for (const TOrder& o : order) {
    names.push_back(std::move(TallyNames[o.Index]));
    counts.push_back(TallyCounts[o.Index]);
  }
  TallyNames.swap(names);
  TallyCounts.swap(counts);
  // The slots point to the old places: made anew when a name comes next.
  gIndex.Slots.clear();
}

// The first 24 bytes of a name, ASCII-lower-cased, big-endian and padded
// with zero bytes: where two names' prefixes differ they are in name order,
// so most comparisons of a sort need not touch the names.
struct TNameOrder {
  std::uint64_t First, Second, Third;
  std::uint32_t Index;
};

std::uint64_t LowerPrefix(const std::string& name, std::size_t from) {
  std::uint64_t key = 0;
  for (std::size_t i = from; i < from + 8; ++i) {
    const auto c = i < name.size() ? static_cast<unsigned char>(LowerAsciiByte(name[i])) : 0u;
    key = (key << 8) | c;
  }
  return key;
}

struct TCountOrder {
  std::int64_t Count;
  std::uint32_t Index;
};

}  // namespace

void ResetTally() {
  TallyNames.clear();
  TallyCounts.clear();
  gIndex.Slots.clear();
  PlatCaseFoldTable(gIndex.Fold);
  gIndex.PlainAsciiFold = true;
  for (int c = 0; c < 128; ++c)
    if (gIndex.Fold[c] != (c >= 'A' && c <= 'Z' ? c + 32 : c)) gIndex.PlainAsciiFold = false;
}

void AddToTally(std::string_view name) {
  Grow(TallyNames.size() + 1);
  AddKeyed(name, KeyOf(name));
}

void AddNamesToTally(const std::string_view* names, std::size_t count) {
  Grow(TallyNames.size() + count);
  gIndex.BatchKeys.resize(count);
  for (std::size_t i = 0; i < count; ++i) gIndex.BatchKeys[i] = KeyOf(names[i]);
  // A big table does not fit the caches: fetch the slot of a name some names
  // ahead, and the count it points to a few names later, so that the
  // lookups do not wait on memory one by one.
  constexpr std::size_t kSlotAhead = 16, kCountAhead = 8, kCachedSlots = 1 << 14;
  const std::size_t mask = gIndex.Slots.size() - 1;
  std::size_t i = 0;
  if (gIndex.Slots.size() > kCachedSlots) {
    for (std::size_t j = 0; j < kSlotAhead && j < count; ++j) Prefetch(&gIndex.Slots[gIndex.BatchKeys[j].Hash & mask]);
    for (; i + kSlotAhead < count; ++i) {
      Prefetch(&gIndex.Slots[gIndex.BatchKeys[i + kSlotAhead].Hash & mask]);
      const std::uint32_t index = gIndex.Slots[gIndex.BatchKeys[i + kCountAhead].Hash & mask].Index;
      if (index != 0) Prefetch(&TallyCounts[index - 1]);
      AddKeyed(names[i], gIndex.BatchKeys[i]);
    }
  }
  for (; i < count; ++i) AddKeyed(names[i], gIndex.BatchKeys[i]);
}

void SortTally(bool byName) {
  const std::size_t n = TallyNames.size();
  if (byName) {
    std::vector<TNameOrder> order(n);
    for (std::size_t i = 0; i < n; ++i)
      order[i] = TNameOrder{LowerPrefix(TallyNames[i], 0), LowerPrefix(TallyNames[i], 8),
                            LowerPrefix(TallyNames[i], 16), static_cast<std::uint32_t>(i)};
    std::stable_sort(order.begin(), order.end(), [](const TNameOrder& a, const TNameOrder& b) {
      if (a.First != b.First) return a.First < b.First;
      if (a.Second != b.Second) return a.Second < b.Second;
      if (a.Third != b.Third) return a.Third < b.Third;
      return CompareNames(TallyNames[a.Index], TallyNames[b.Index]) < 0;
    });
    Reorder(order);
  } else {
    std::vector<TCountOrder> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = TCountOrder{TallyCounts[i], static_cast<std::uint32_t>(i)};
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
