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
std::vector<std::uint64_t> gOrder;
bool gSharded = false;
bool gFinished = false;
constexpr int kRefIndexBits = 64 - TShardedTally::kShardBits;

std::uint64_t RefOf(int shard, std::size_t index) {
  return (static_cast<std::uint64_t>(shard) << kRefIndexBits) | index;
}

const TTallyRecord& RecordOfRef(std::uint64_t ref, const TTallyTable** table) {
  const int shard = gSharded ? static_cast<int>(ref >> kRefIndexBits) : 0;
  *table = &RunTally.Shards[shard];
  return RecordAt(**table, gSharded ? ref & ((std::uint64_t{1} << kRefIndexBits) - 1) : ref);
}

std::uint64_t RefAt(std::size_t i) { return gOrder.empty() ? i : gOrder[i]; }

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
      Prefetch(NameBytes(other->Names, r.Name));
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
  std::uint64_t Ref;
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
  std::uint64_t Ref;
};

struct TFirstOrder {
  std::int64_t FirstAt;
  std::uint64_t Ref;
};

// Puts the report order in the given order of old places.
template <typename TOrder>
void Reorder(const std::vector<TOrder>& order) {
  std::vector<std::uint64_t> refs(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) refs[i] = order[i].Ref;
  gOrder.swap(refs);
}

// The ordering and the sorts are bound by memory: more threads than this
// gain nothing.
constexpr int kMaxParts = 8;

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
  RunInParts(parts, [&](int p) { std::stable_sort(v.begin() + bounds[p], v.begin() + bounds[p + 1], less); });
  while (bounds.size() > 2) {
    RunInParts(static_cast<int>(bounds.size() - 1) / 2, [&](int m) {
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
  RunInParts(parts, [&](int p) {
    for (std::size_t i = PartStart(n, p, parts); i < PartStart(n, p + 1, parts); ++i) order[i] = make(i);
  });
}

// The names of all shards by the offsets of their first entries: the order
// in which the sequential scan met them. No two names share a first entry.
void OrderShardsByFirstOffset(int threads) {
  std::vector<TFirstOrder> order;
  std::size_t total = 0;
  for (const TTallyTable& t : RunTally.Shards) total += t.Count;
  order.reserve(total);
  for (int s = 0; s < TShardedTally::kShards; ++s) {
    const TTallyTable& t = RunTally.Shards[s];
    for (std::size_t i = 0; i < t.Count; ++i) order.push_back(TFirstOrder{RecordAt(t, i).FirstAt, RefOf(s, i)});
  }
  StableSortInParts(order, threads, [](const TFirstOrder& a, const TFirstOrder& b) { return a.FirstAt < b.FirstAt; });
  Reorder(order);
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
