#include "marker_search.h"

#include <algorithm>
#include <bit>
#include <cstddef>

#include "invariants.h"

// A marker start holds the marker's first bytes from the low end.
static_assert(std::endian::native == std::endian::little);

namespace {

// The maximal suffix of x under the byte order (or its reverse): the index
// just before it (-1 for the whole) and its period. Two such suffixes give
// the two-way matcher its factorization.
std::ptrdiff_t MaximalSuffix(const unsigned char* x, std::ptrdiff_t m, bool reverse, std::ptrdiff_t* period) {
  std::ptrdiff_t before = -1, j = 0, k = 1, p = 1;
  while (j + k < m) {
    const unsigned char a = x[j + k], b = x[before + k];
    if (reverse ? a > b : a < b) {
      j += k;
      k = 1;
      p = j - before;
    } else if (a == b) {
      if (k != p) {
        ++k;
      } else {
        j += p;
        k = 1;
      }
    } else {
      before = j;
      j = before + 1;
      k = p = 1;
    }
  }
  *period = p;
  return before;
}

void Tune(TMarkerFinder& f, std::string_view text) {
  const std::string_view marker = f.Search->Marker;
  // A first look is enough: the text may be a line of any length.
  const std::string_view sample = text.substr(0, 65536);
  std::size_t counts[256] = {};
  for (unsigned char c : sample) ++counts[c];
  std::size_t best = 0;
  for (std::size_t i = 1; i < marker.size(); ++i)
    if (counts[static_cast<unsigned char>(marker[i])] < counts[static_cast<unsigned char>(marker[best])]) best = i;
  f.RareAt = best;
  ORVELLA_INVARIANT(f.RareAt < marker.size());
}

}  // namespace

void PrepareMarkerSearch(TMarkerSearch& s, std::string_view marker) {
  s = TMarkerSearch();
  if (marker.find_first_of("\r\n") != std::string_view::npos) return;
  s.Marker = marker;
  const std::size_t n = std::min<std::size_t>(marker.size(), 8);
  if (n > 0) std::memcpy(&s.Start.Head, marker.data(), n);
  s.Start.Mask = n == 8 ? ~0ULL : (1ULL << (n * 8)) - 1;
  s.Start.Whole = n > 0 && marker.size() <= 8;
  if (marker.empty()) return;
  const auto* x = reinterpret_cast<const unsigned char*>(marker.data());
  const auto m = static_cast<std::ptrdiff_t>(marker.size());
  std::ptrdiff_t p, q;
  const std::ptrdiff_t i = MaximalSuffix(x, m, false, &p), j = MaximalSuffix(x, m, true, &q);
  const std::ptrdiff_t before = std::max(i, j), period = i > j ? p : q;
  s.CriticalAt = static_cast<std::size_t>(before + 1);
  s.Periodic = before + 1 + period <= m && std::memcmp(x, x + period, static_cast<std::size_t>(before + 1)) == 0;
  s.Period = static_cast<std::size_t>(s.Periodic ? period : std::max(before + 1, m - before - 1) + 1);
}

std::size_t FindMarkerTwoWay(const TMarkerSearch& s, std::string_view text, std::size_t from) {
  const auto m = static_cast<std::ptrdiff_t>(s.Marker.size());
  if (m == 0 || from > text.size() || static_cast<std::ptrdiff_t>(text.size() - from) < m)
    return std::string_view::npos;
  const auto* x = reinterpret_cast<const unsigned char*>(s.Marker.data());
  const auto* y = reinterpret_cast<const unsigned char*>(text.data() + from);
  const auto n = static_cast<std::ptrdiff_t>(text.size() - from);
  const auto before = static_cast<std::ptrdiff_t>(s.CriticalAt) - 1, period = static_cast<std::ptrdiff_t>(s.Period);
  // The right half is compared first, from the critical point on; only
  // when it matches is the left half compared, backwards. A periodic
  // marker remembers how much of the left half the last shift kept.
  std::ptrdiff_t memory = -1;
  for (std::ptrdiff_t j = 0; j <= n - m;) {
    std::ptrdiff_t i = std::max(before, memory) + 1;
    while (i < m && x[i] == y[i + j]) ++i;
    if (i < m) {
      j += i - before;
      memory = -1;
      continue;
    }
    i = before;
    while (i > memory && x[i] == y[i + j]) --i;
    if (i <= memory) return from + static_cast<std::size_t>(j);
    j += period;
    if (s.Periodic) memory = m - period - 1;
  }
  return std::string_view::npos;
}

std::size_t FindMarkerFrom(TMarkerFinder& f, std::string_view text, std::size_t from) {
  const TMarkerSearch& s = *f.Search;
  const std::size_t m = s.Marker.size();
  if (m == 0 || from > text.size() || text.size() - from < m) return std::string_view::npos;
  if (f.RareAt == std::string_view::npos) Tune(f, text.substr(from));
  const char* base = text.data();
  const char* marker = s.Marker.data();
  const std::size_t rareAt = f.RareAt;
  const char rare = marker[rareAt];
  // The rare byte can only stand where a whole marker still fits.
  std::size_t p = from + rareAt;
  const std::size_t lastRare = text.size() - m + rareAt;
  std::size_t compared = 0;  // bytes compared past the first eight
  while (p <= lastRare) {
    // Where the marker opens the line, the search starts on it: no call.
    const char* hit =
        base[p] == rare ? base + p : static_cast<const char*>(std::memchr(base + p, rare, lastRare + 1 - p));
    if (!hit) break;
    const std::size_t at = static_cast<std::size_t>(hit - base);
    const std::size_t start = at - rareAt;
    // Markers are a few bytes: compare eight at once where the text allows,
    // which settles markers of up to eight bytes.
    std::size_t k = 0;
    if (start + 8 <= text.size()) {
      std::uint64_t w;
      std::memcpy(&w, base + start, 8);
      if (((w ^ s.Start.Head) & s.Start.Mask) != 0) {
        p = at + 1;
        continue;
      }
      k = std::min<std::size_t>(m, 8);
    }
    const std::size_t first = k;
    while (k < m && base[start + k] == marker[k]) ++k;
    if (k == m) return start;
    // Candidates that match long stretches and then fail (repetitive text
    // under a long marker) would make the search quadratic: past twice the
    // bytes gone by, plus two markers, the linear matcher takes over.
    compared += k - first;
    if (compared > 2 * (at - from) + 2 * m) return FindMarkerTwoWay(s, text, start + 1);
    p = at + 1;
  }
  return std::string_view::npos;
}

bool FindMarkerInPiece(TMarkerFinder& f, TMarkerCarry& carry, std::string_view piece, bool lineEnds) {
  const std::size_t m = f.Search->Marker.size();
  if (carry.Found || m == 0) return carry.Found;
  const std::size_t keep = m - 1;
  std::string& window = carry.Window;
  if (piece.size() >= keep) {
    // An occurrence that begins in the window ends in the piece's first
    // keep bytes.
    if (!window.empty()) {
      window.append(piece.substr(0, keep));
      carry.Found = FindMarker(f, window, 0) != std::string_view::npos;
    }
    carry.Found = carry.Found || FindMarker(f, piece, 0) != std::string_view::npos;
    window.assign(piece.substr(piece.size() - keep));
    return carry.Found;
  }
  // Pieces shorter than the marker gather in the window, searched when it
  // has grown by an eighth of the marker or more (so a long marker costs a
  // few passes over each byte, not one per piece), and at the line's end.
  window.append(piece);
  const std::size_t slack = std::max<std::size_t>(65536, keep / 8);
  if (window.size() >= keep + slack || lineEnds) {
    carry.Found = FindMarker(f, window, 0) != std::string_view::npos;
    window.erase(0, window.size() - std::min(keep, window.size()));
  }
  return carry.Found;
}
