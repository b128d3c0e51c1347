// The finished tally (see tally.h): the names put in the order of their
// first entries, the report's view of them, and the sorts.
#include <algorithm>
#include <cstdint>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "tally.h"
#include "tally_internal.h"
#include "invariants.h"
#include "text.h"

namespace {

// A sharded reference: the shard above the index in the shard.
constexpr int kRefIndexBits = 32 - TTally::kShardBits;

std::uint32_t RefOf(int shard, std::size_t index) {
  // A shard of more names than the bits hold (64 million, as every shard of
  // a tally of four billion): the memory ran out long before.
  if (index >> kRefIndexBits) throw std::bad_alloc();
  return static_cast<std::uint32_t>(shard) << kRefIndexBits | static_cast<std::uint32_t>(index);
}

const TTallyRecord& RecordOfRef(const TFinishedTally& t, std::uint32_t ref, const TTallyTable** table) {
  *table = &t.Counted->Shards[t.Sharded ? ref >> kRefIndexBits : 0];
  return RecordAt(**table, t.Sharded ? ref & ((1u << kRefIndexBits) - 1) : ref);
}

std::uint32_t RefAt(const TFinishedTally& t, std::size_t row) {
  return t.Order.empty() ? static_cast<std::uint32_t>(row) : t.Order[row];
}

// The record of a row of the report. The report reads in order: the records
// and names a few rows on are fetched ahead, as the order jumps around.
const TTallyRecord& RowRecord(const TFinishedTally& t, std::size_t row, const TTallyTable** table) {
  // A row costs about 40 ns and a read from memory about 200.
  constexpr std::size_t kRecordAhead = 16, kNameAhead = 8;
  const std::vector<std::uint32_t>& order = t.Order;
  const TTallyTable* other;
  if (row + kRecordAhead < order.size()) PrefetchRecord(RecordOfRef(t, order[row + kRecordAhead], &other));
  if (row + kNameAhead < order.size()) {
    const TTallyRecord& r = RecordOfRef(t, order[row + kNameAhead], &other);
    Prefetch(NameBytes(other->Names, r.Name));
  }
  return RecordOfRef(t, RefAt(t, row), table);
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

bool NameBefore(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAsciiByte(x)) < static_cast<unsigned char>(LowerAsciiByte(y));
  });
}

void SortByName(TFinishedTally& t) {
  std::vector<TNameOrder> order(t.Size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::string_view name = t.Name(i);
    order[i] = TNameOrder{LowerPrefix(name, 0), LowerPrefix(name, 8), LowerPrefix(name, 16), RefAt(t, i)};
  }
  std::stable_sort(order.begin(), order.end(), [&t](const TNameOrder& a, const TNameOrder& b) {
    if (a.First != b.First) return a.First < b.First;
    if (a.Second != b.Second) return a.Second < b.Second;
    if (a.Third != b.Third) return a.Third < b.Third;
    const TTallyTable *x, *y;
    const TTallyRecord &ra = RecordOfRef(t, a.Ref, &x), &rb = RecordOfRef(t, b.Ref, &y);
    return NameBefore(NameOf(*x, ra), NameOf(*y, rb));
  });
  t.Order.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) t.Order[i] = order[i].Ref;
}

void SortByCount(TFinishedTally& t) {
  struct TCountOrder {
    std::int64_t Count;
    std::uint32_t Ref;
  };
  std::vector<TCountOrder> order(t.Size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = TCountOrder{t.Count(i), RefAt(t, i)};
  std::stable_sort(order.begin(), order.end(), [](const TCountOrder& a, const TCountOrder& b) { return a.Count < b.Count; });
  t.Order.resize(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) t.Order[i] = order[i].Ref;
}

// The records of every shard, as each shard's own loop gives them.
template <typename TVisit>
void ForEachRecord(const TFinishedTally& t, const TVisit& visit) {
  for (int s = 0; s < TTally::kShards; ++s) {
    const TTallyTable& table = t.Counted->Shards[s];
    for (std::size_t i = 0; i < table.Count; ++i) visit(s, i, RecordAt(table, i));
  }
}

// The names of all shards by the offsets of their first entries: the order
// in which the sequential scan met them. A sort of offsets with references
// would take four times the memory of the order; instead the references go
// into buckets of nearby offsets, a few to a bucket, and each bucket is
// sorted by one word a record: its offset from the bucket's start above its
// reference.
void OrderShardsByFirstOffset(TFinishedTally& t) {
  std::size_t total = 0;
  std::int64_t last = 0;
  ForEachRecord(t, [&](int s, std::size_t i, const TTallyRecord& r) {
    RefOf(s, i);  // every record can be named, before the order is made
    ++total;
    last = std::max(last, r.FirstAt);
  });
  // Eight records a bucket; and no bucket wider than the 32 bits of a key.
  const std::size_t buckets = std::max(total / 8, static_cast<std::size_t>(last >> 32)) + 1;
  const std::int64_t width = last / static_cast<std::int64_t>(buckets) + 1;
  // Counted two places on, so that start[b + 1] is bucket b's start; each
  // record placed moves it on, which leaves bucket b in [start[b], start[b + 1]).
  std::vector<std::uint32_t> start(buckets + 2);
  ForEachRecord(t, [&](int, std::size_t, const TTallyRecord& r) { ++start[r.FirstAt / width + 2]; });
  for (std::size_t b = 1; b <= buckets; ++b) start[b + 1] += start[b];
  t.Order.resize(total);
  ForEachRecord(
      t, [&](int s, std::size_t i, const TTallyRecord& r) { t.Order[start[r.FirstAt / width + 1]++] = RefOf(s, i); });
  std::vector<std::uint64_t> keys;
  const TTallyTable* table;
  for (std::size_t b = 0; b < buckets; ++b) {
    keys.clear();
    for (std::size_t i = start[b]; i < start[b + 1]; ++i) {
      // As far ahead as the lookups fetch, for the same reason.
      if (i + 32 < total) PrefetchRecord(RecordOfRef(t, t.Order[i + 32], &table));
      const std::int64_t first = RecordOfRef(t, t.Order[i], &table).FirstAt;
      keys.push_back(static_cast<std::uint64_t>(first - static_cast<std::int64_t>(b) * width) << 32 | t.Order[i]);
    }
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = start[b]; i < start[b + 1]; ++i) t.Order[i] = static_cast<std::uint32_t>(keys[i - start[b]]);
  }
}

void CheckFinishedTally(const TFinishedTally& t) {
  std::size_t records = 0;
  if (t.Counted)
    for (const TTallyTable& table : t.Counted->Shards) {
      ORVELLA_INVARIANT(table.Slots.empty());
      records += table.Count;
    }
  ORVELLA_INVARIANT(t.Order.empty() || t.Order.size() == records);
  ORVELLA_INVARIANT(!t.Order.empty() || !t.Counted || records == (t.Sharded ? 0 : t.Counted->Shards[0].Count));
}

}  // namespace

TFinishedTally FinishTally(TTallyPtr tally, bool sharded) {
  TFinishedTally t;
  t.Counted = std::move(tally);
  // No lookup follows: the slots are given back.
  for (TTallyTable& table : t.Counted->Shards) table.Slots = decltype(table.Slots)();
  t.Sharded = sharded;
  if (sharded) OrderShardsByFirstOffset(t);
  CheckFinishedTally(t);
  return t;
}

std::size_t TFinishedTally::Size() const {
  if (!Order.empty() || !Counted || Sharded) return Order.size();
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

void SortTally(TFinishedTally& t, bool byName) {
  if (byName) {
    SortByName(t);
  } else {
    SortByCount(t);
  }
  CheckFinishedTally(t);
}

void SortTallyFor(TFinishedTally& t, bool alpha, bool number) {
  if (alpha || number) SortTally(t, true);
  if (number && !alpha) SortTally(t, false);
}
