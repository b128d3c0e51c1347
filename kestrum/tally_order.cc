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
#include "tally_internal.h"
#include "text.h"
#include "thread_group.h"
#include "invariants.h"

namespace {

std::uint64_t RefAt(const TFinishedTally& t, std::size_t row) { return t.Order.empty() ? row : t.Order[row]; }

// The record of a row of the report. The report reads in order: the records
// and names a few rows on are fetched ahead, as the order jumps around.
const TTallyRecord& RowRecord(const TFinishedTally& t, std::size_t row, const TTallyTable** table) {
  // A row costs about 40 ns and a read from memory about 200.
  constexpr std::size_t kRecordAhead = 16, kNameAhead = 8;
  const std::vector<std::uint64_t>& order = t.Order;
  const TTallyTable* other;
  if (row + kRecordAhead < order.size()) PrefetchRecord(RecordOfRef(*t.Counted, order[row + kRecordAhead], &other));
  if (row + kNameAhead < order.size()) {
    const TTallyRecord& r = RecordOfRef(*t.Counted, order[row + kNameAhead], &other);
    Prefetch(NameBytes(other->Names, r.Name));
  }
  return RecordOfRef(*t.Counted, RefAt(t, row), table);
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

// Puts the report's rows in the given order.
template <typename TOrder>
void Reorder(TFinishedTally& t, const std::vector<TOrder>& order) {
  std::vector<std::uint64_t> refs(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) refs[i] = order[i].Ref;
  t.Order.swap(refs);
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
void OrderShardsByFirstOffset(TFinishedTally& t, int threads) {
  std::vector<TFirstOrder> order;
  std::size_t total = 0;
  for (const TTallyTable& table : t.Counted->Shards) total += table.Count;
  order.reserve(total);
  for (int s = 0; s < TTally::kShards; ++s) {
    const TTallyTable& table = t.Counted->Shards[s];
    for (std::size_t i = 0; i < table.Count; ++i) order.push_back(TFirstOrder{RecordAt(table, i).FirstAt, RecordRef(s, i)});
  }
  StableSortInParts(order, threads, [](const TFirstOrder& a, const TFirstOrder& b) { return a.FirstAt < b.FirstAt; });
  Reorder(t, order);
}

void CheckFinishedTally(const TFinishedTally& t) {
  std::size_t records = 0;
  if (t.Counted)
    for (const TTallyTable& table : t.Counted->Shards) {
      ORVELLA_INVARIANT(table.Slots.empty());
      records += table.Count;
    }
  ORVELLA_INVARIANT(t.Order.empty() || t.Order.size() == records);
  ORVELLA_INVARIANT(!t.Order.empty() || !t.Counted || records == t.Counted->Shards[0].Count);
}

}  // namespace

TFinishedTally FinishTally(TTallyPtr tally, bool sharded, int threads) {
  TFinishedTally t;
  t.Counted = std::move(tally);
  for (TTallyTable& table : t.Counted->Shards) {
    table.Slots.clear();
    table.Slots.shrink_to_fit();
  }
  if (sharded) OrderShardsByFirstOffset(t, threads);
  CheckFinishedTally(t);
  return t;
}

std::size_t TFinishedTally::Size() const {
  if (!Order.empty() || !Counted) return Order.size();
  return Counted->Shards[0].Count;
}

std::string_view TFinishedTally::Name(std::size_t row) const {
  const TTallyTable* table;
  const TTallyRecord& r = RowRecord(*this, row, &table);
  return NameOf(*table, r);
}

std::int64_t TFinishedTally::Count(std::size_t row) const {
  const TTallyTable* table;
  return RowRecord(*this, row, &table).Count;
}

void SortTally(TFinishedTally& t, bool byName, int threads) {
  const std::size_t n = t.Size();
  if (byName) {
    std::vector<TNameOrder> order(n);
    FillInParts(order, threads, [&t](std::size_t i) {
      const std::string_view name = t.Name(i);
      return TNameOrder{LowerPrefix(name, 0), LowerPrefix(name, 8), LowerPrefix(name, 16), RefAt(t, i)};
    });
    StableSortInParts(order, threads, [&t](const TNameOrder& a, const TNameOrder& b) {
      if (a.First != b.First) return a.First < b.First;
      if (a.Second != b.Second) return a.Second < b.Second;
      if (a.Third != b.Third) return a.Third < b.Third;
      const TTallyTable *x, *y;
      const TTallyRecord &ra = RecordOfRef(*t.Counted, a.Ref, &x), &rb = RecordOfRef(*t.Counted, b.Ref, &y);
      return CompareNames(NameOf(*x, ra), NameOf(*y, rb)) < 0;
    });
    Reorder(t, order);
  } else {
    std::vector<TCountOrder> order(n);
    FillInParts(order, threads, [&t](std::size_t i) { return TCountOrder{t.Count(i), RefAt(t, i)}; });
    StableSortInParts(order, threads, [](const TCountOrder& a, const TCountOrder& b) { return a.Count < b.Count; });
    Reorder(t, order);
  }
  CheckFinishedTally(t);
}

void SortTallyFor(TFinishedTally& t, bool alpha, bool number, int threads) {
  if (alpha) {
    SortTally(t, true, threads);
  } else if (number) {
    SortTally(t, true, threads);
    SortTally(t, false, threads);
  }
}
