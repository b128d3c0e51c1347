#include "tally.h"

#include <algorithm>
#include <numeric>

#include "platform/platform.h"

TStringArray TallyNames;
std::vector<std::int64_t> TallyCounts;

namespace {

// Open addressing over indexes into TallyNames (+1; 0 is an empty slot).
std::vector<std::uint32_t> gSlots;
std::vector<std::uint64_t> gHashes;  // per name, so growing never rehashes text
unsigned char gFold[256];

std::uint64_t FoldedHash(std::string_view name) {
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : name) {
    h ^= gFold[c];
    h *= 1099511628211ULL;
  }
  return h ^ (h >> 29);
}

bool FoldedEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (gFold[static_cast<unsigned char>(a[i])] != gFold[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

void Grow() {
  std::size_t size = gSlots.empty() ? 1024 : gSlots.size() * 2;
  gSlots.assign(size, 0);
  for (std::size_t i = 0; i < TallyNames.size(); ++i) {
    std::size_t s = gHashes[i] & (size - 1);
    while (gSlots[s] != 0) s = (s + 1) & (size - 1);
    gSlots[s] = static_cast<std::uint32_t>(i + 1);
  }
}

int CompareNames(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

template <typename Less>
void StableReorder(Less less) {
  std::vector<std::size_t> order(TallyNames.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), less);
  TStringArray names;
  std::vector<std::int64_t> counts;
  names.reserve(order.size());
  counts.reserve(order.size());
  for (std::size_t i : order) {
    names.push_back(std::move(TallyNames[i]));
    counts.push_back(TallyCounts[i]);
  }
  TallyNames.swap(names);
  TallyCounts.swap(counts);
  // The hash index no longer matches; the table is only printed after a sort.
  gSlots.clear();
  gHashes.clear();
}

}  // namespace

void ResetTally() {
  TallyNames.clear();
  TallyCounts.clear();
  gSlots.clear();
  gHashes.clear();
  PlatCaseFoldTable(gFold);
}

void AddToTally(std::string_view name) {
  if ((TallyNames.size() + 1) * 2 > gSlots.size()) Grow();
  std::uint64_t h = FoldedHash(name);
  std::size_t mask = gSlots.size() - 1;
  for (std::size_t s = h & mask;; s = (s + 1) & mask) {
    std::uint32_t slot = gSlots[s];
    if (slot == 0) {
      gSlots[s] = static_cast<std::uint32_t>(TallyNames.size() + 1);
      TallyNames.emplace_back(name);
      TallyCounts.push_back(1);
      gHashes.push_back(h);
      return;
    }
    if (gHashes[slot - 1] == h && FoldedEqual(TallyNames[slot - 1], name)) {
      ++TallyCounts[slot - 1];
      return;
    }
  }
}

void SortTally(bool byName) {
  if (byName) {
    StableReorder([](std::size_t a, std::size_t b) { return CompareNames(TallyNames[a], TallyNames[b]) < 0; });
  } else {
    StableReorder([](std::size_t a, std::size_t b) { return TallyCounts[a] < TallyCounts[b]; });
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
