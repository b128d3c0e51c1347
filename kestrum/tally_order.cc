// The finished tally (see tally.h): the names put in the order of their
// first entries, the report's view of them, and the sorts.
#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "tally.h"
#include "tally_shards.h"
#include "text.h"
#include "thread_group.h"

const TTallyNames TallyNames;
const TTallyCounts TallyCounts;

namespace {

// The finished tally's report order: which record comes i-th. A record is
// named by its index in shard 0, or, once the shards were merged, by its
// shard (the top bits) and its index there. Empty: shard 0 as it stands.
std::vector<std::uint32_t> gOrder;
bool gSharded = false;
bool gFinished = false;
constexpr int kRefIndexBits = 32 - TShardedTally::kShardBits;

std::uint32_t RefOf(int shard, std::size_t index) {
  // A shard of more names than the bits hold: the memory ran out long ago.
  if (index >> kRefIndexBits) throw std::bad_alloc();
  return (static_cast<std::uint32_t>(shard) << kRefIndexBits) | static_cast<std::uint32_t>(index);
}

const TTallyRecord& RecordOfRef(std::uint32_t ref, const TTallyTable** table) {
  const int shard = gSharded ? static_cast<int>(ref >> kRefIndexBits) : 0;
  *table = &RunTally.Shards[shard];
  return RecordAt(**table, gSharded ? ref & ((1u << kRefIndexBits) - 1) : ref);
}

std::uint32_t RefAt(std::size_t i) { return gOrder.empty() ? static_cast<std::uint32_t>(i) : gOrder[i]; }

// The i-th record of the report. The report reads in order: the records
// and names a few rows on are fetched ahead, as the order jumps around.
const TTallyRecord& ReportRecord(std::size_t i, const TTallyTable** table) {
  // A row costs about 40 ns and a read from memory about 200.
  constexpr std::size_t kRecordAhead = 16, kNameAhead = 8;
  if (!gOrder.empty()) {
    const TTallyTable* other;
    if (i + kRecordAhead < gOrder.size()) PrefetchRecord(RecordOfRef(gOrder[i + kRecordAhead], &other));
    if (i + kNameAhead < gOrder.size()) {
      const TTallyRecord& r = RecordOfRef(gOrder[i + kNameAhead], &other);
      Prefetch(NameOf(*other, r).data());
    }
  }
  return RecordOfRef(RefAt(i), table);
}

std::size_t FinishedSize() {
  if (!gOrder.empty() || gSharded) return gOrder.size();
  return RunTally.Shards[0].Count;
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

// The ordering and the sorts are bound by memory: more threads than this
// gain nothing.
constexpr int kMaxParts = 8;

// Runs part(p) for every p below parts, each on a thread of its own but the
// first; a part whose thread cannot start runs here. Running out of memory
// in any part is thrown here once all are done.
template <typename TPart>
void InParts(int parts, const TPart& part) {
  std::atomic<bool> outOfMemory{false};
  auto run = [&part, &outOfMemory](int p) {
    try {
      part(p);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    }
  };
  std::vector<int> here{0};
  here.reserve(parts);
  {
    TThreadGroup group(parts - 1);
    for (int p = 1; p < parts; ++p)
      if (!StartInGroup(group, [&run, p] { run(p); })) here.push_back(p);
    for (int p : here) run(p);
  }
  if (outOfMemory) throw std::bad_alloc();
}

// The names by the offsets of their first entries: the order of the file.
// The records go into buckets of nearby offsets, a few to a bucket, and each
// bucket is sorted by one word a record: its offset from the bucket's start
// above its reference. Each part of the work takes some of the shards, or
// some of the buckets.
void OrderShardsByFirstOffset(int threads) {
  std::size_t total = 0;
  std::int64_t last = 0;
  for (int s = 0; s < TShardedTally::kShards; ++s) {
    const TTallyTable& t = RunTally.Shards[s];
    if (t.Count > 0) RefOf(s, t.Count - 1);  // all can be named, before the parts start
    total += t.Count;
    last = std::max(last, t.LastFirst);
  }
  // A few records a bucket: each bucket's sort is a handful of compares.
  constexpr std::size_t kPerBucket = 8;
  const std::size_t buckets =
      std::bit_ceil(std::max(total / kPerBucket, static_cast<std::size_t>(static_cast<std::uint64_t>(last) >> 32)) + 1);
  const std::int64_t width = last / static_cast<std::int64_t>(buckets) + 1;
  const int parts = std::clamp(threads, 1, kMaxParts);
  auto firstShard = [parts](int p) { return p * TShardedTally::kShards / parts; };
  auto bucketOf = [width](std::int64_t at) { return static_cast<std::size_t>(at / width); };

  // Per part, how many of its records each bucket gets; then where they go.
  std::vector<std::vector<std::uint32_t>> place(parts, std::vector<std::uint32_t>(buckets));
  InParts(parts, [&](int p) {
    for (int s = firstShard(p); s < firstShard(p + 1); ++s) {
      const TTallyTable& t = RunTally.Shards[s];
      for (std::size_t i = 0; i < t.Count; ++i) ++place[p][bucketOf(RecordAt(t, i).FirstAt)];
    }
  });
  std::vector<std::uint32_t> start(buckets + 1);
  std::uint32_t at = 0;
  for (std::size_t b = 0; b < buckets; ++b) {
    start[b] = at;
    for (int p = 0; p < parts; ++p) at += std::exchange(place[p][b], at);
  }
  start[buckets] = at;

  gOrder.resize(total);
  InParts(parts, [&](int p) {
    for (int s = firstShard(p); s < firstShard(p + 1); ++s) {
      const TTallyTable& t = RunTally.Shards[s];
      for (std::size_t i = 0; i < t.Count; ++i) gOrder[place[p][bucketOf(RecordAt(t, i).FirstAt)]++] = RefOf(s, i);
    }
  });
  place.clear();

  InParts(parts, [&](int p) {
    // Buckets of about as many records for each part.
    auto firstBucket = [&](int q) {
      return static_cast<std::size_t>(std::lower_bound(start.begin(), start.end() - 1, total * q / parts) -
                                      start.begin());
    };
    std::vector<std::uint64_t> keys;
    const TTallyTable* table;
    const std::size_t end = p + 1 == parts ? buckets : firstBucket(p + 1);
    // The records are fetched ahead across buckets: a bucket holds a few.
    // As far ahead as the lookups fetch, for the same reason.
    constexpr std::size_t kAhead = 32;
    for (std::size_t b = firstBucket(p); b < end; ++b) {
      keys.clear();
      for (std::size_t i = start[b]; i < start[b + 1]; ++i) {
        if (i + kAhead < start[end]) PrefetchRecord(RecordOfRef(gOrder[i + kAhead], &table));
        const std::int64_t first = RecordOfRef(gOrder[i], &table).FirstAt;
        keys.push_back((static_cast<std::uint64_t>(first - static_cast<std::int64_t>(b) * width) << 32) | gOrder[i]);
      }
      std::sort(keys.begin(), keys.end());
      for (std::size_t i = start[b]; i < start[b + 1]; ++i) gOrder[i] = static_cast<std::uint32_t>(keys[i - start[b]]);
    }
  });
}

// Smaller sorts take a millisecond or two: not worth starting threads.
constexpr std::size_t kPartedSortMin = std::size_t{1} << 15;

// How many parts share work on n places of the report, and where part p
// of them begins.
int PartsFor(std::size_t n, int threads) { return n < kPartedSortMin ? 1 : std::clamp(threads, 1, kMaxParts); }
std::size_t PartStart(std::size_t n, int p, int parts) {
  return n * static_cast<std::size_t>(p) / static_cast<std::size_t>(parts);
}

// A stable sort in parts: runs side by side, then merged pairwise round by
// round. A stable sort has one result, and a merge keeps the left run's
// elements first among equals, so the parts do not show.
template <typename T, typename TLess>
void StableSortInParts(std::vector<T>& v, int threads, const TLess& less) {
  const std::size_t n = v.size();
  const int parts = PartsFor(n, threads);
  std::vector<std::size_t> bounds;
  for (int p = 0; p <= parts; ++p) bounds.push_back(PartStart(n, p, parts));
  InParts(parts, [&](int p) { std::stable_sort(v.begin() + bounds[p], v.begin() + bounds[p + 1], less); });
  while (bounds.size() > 2) {
    InParts(static_cast<int>(bounds.size() - 1) / 2, [&](int m) {
      std::inplace_merge(v.begin() + bounds[2 * m], v.begin() + bounds[2 * m + 1], v.begin() + bounds[2 * m + 2], less);
    });
    std::vector<std::size_t> merged;
    for (std::size_t i = 0; i < bounds.size(); i += 2) merged.push_back(bounds[i]);
    if (merged.back() != n) merged.push_back(n);
    bounds.swap(merged);
  }
}

// Fills order[i] = make(i) for every place of the report, in parts.
template <typename T, typename TMake>
void FillInParts(std::vector<T>& order, int threads, const TMake& make) {
  const std::size_t n = order.size();
  const int parts = PartsFor(n, threads);
  InParts(parts, [&](int p) {
    for (std::size_t i = PartStart(n, p, parts); i < PartStart(n, p + 1, parts); ++i) order[i] = make(i);
  });
}

}  // namespace

void ForgetTallyOrder() {
  gOrder.clear();
  gOrder.shrink_to_fit();
  gSharded = false;
  gFinished = false;
}

void FinishTally(bool sharded, int threads) {
  if (gFinished) return;
  gFinished = true;
  gSharded = sharded;
  for (TTallyTable& t : RunTally.Shards) {
    t.Slots.clear();
    t.Slots.shrink_to_fit();
  }
  if (sharded) OrderShardsByFirstOffset(threads);
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

void SortTally(bool byName, int threads) {
  const std::size_t n = FinishedSize();
  if (byName) {
    std::vector<TNameOrder> order(n);
    FillInParts(order, threads, [](std::size_t i) {
      const std::string_view name = TallyNames[i];
      return TNameOrder{LowerPrefix(name, 0), LowerPrefix(name, 8), LowerPrefix(name, 16), RefAt(i)};
    });
    StableSortInParts(order, threads, [](const TNameOrder& a, const TNameOrder& b) {
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
    FillInParts(order, threads, [](std::size_t i) { return TCountOrder{TallyCounts[i], RefAt(i)}; });
    StableSortInParts(order, threads, [](const TCountOrder& a, const TCountOrder& b) { return a.Count < b.Count; });
    Reorder(order);
  }
}

void SortTallyFor(bool alpha, bool number, int threads) {
  if (alpha) {
    SortTally(true, threads);
  } else if (number) {
    SortTally(true, threads);
    SortTally(false, threads);
  }
}
