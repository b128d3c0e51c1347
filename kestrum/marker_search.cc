#include "marker_search.h"

#include <bit>
#include <cstring>

// Head and HeadMask hold the marker's first bytes from the low end.
static_assert(std::endian::native == std::endian::little);

void InitMarkerSearch(TMarkerSearch& s, std::string_view marker) {
  s = TMarkerSearch();
  s.Marker.assign(marker);
  const std::size_t n = marker.size() < 8 ? marker.size() : 8;
  if (n > 0) std::memcpy(&s.Head, marker.data(), n);
  s.HeadMask = n == 8 ? ~0ULL : (1ULL << (n * 8)) - 1;
}

namespace {

void Tune(TMarkerSearch& s, std::string_view sample) {
  std::size_t counts[256] = {};
  for (unsigned char c : sample) ++counts[c];
  std::size_t best = 0;
  for (std::size_t i = 1; i < s.Marker.size(); ++i)
    if (counts[static_cast<unsigned char>(s.Marker[i])] <
        counts[static_cast<unsigned char>(s.Marker[best])])
      best = i;
  s.RareOffset = best;
  s.Tuned = true;
}

}  // namespace

std::size_t FindMarkerFrom(TMarkerSearch& s, std::string_view text, std::size_t from) {
  const std::size_t m = s.Marker.size();
  if (m == 0 || from > text.size() || text.size() - from < m) return std::string_view::npos;
  if (!s.Tuned) Tune(s, text);
  const char* base = text.data();
  const char* marker = s.Marker.data();
  const std::size_t rareOffset = s.RareOffset;
  const char rare = marker[rareOffset];
  // The rare byte can only stand where a whole marker still fits.
  std::size_t p = from + rareOffset;
  const std::size_t lastRare = text.size() - m + rareOffset;
  while (p <= lastRare) {
    // Where the marker opens the line, the search starts on it: no call.
    const char* hit = base[p] == rare ? base + p
                                      : static_cast<const char*>(std::memchr(base + p, rare, lastRare + 1 - p));
    if (!hit) break;
    const std::size_t at = static_cast<std::size_t>(hit - base);
    const std::size_t start = at - rareOffset;
    // Markers are a few bytes: compare eight at once where the text allows,
    // which settles markers of up to eight bytes.
    std::size_t k = 0;
    if (start + 8 <= text.size()) {
      std::uint64_t w;
      std::memcpy(&w, base + start, 8);
      if (((w ^ s.Head) & s.HeadMask) != 0) {
        p = at + 1;
        continue;
      }
      k = m < 8 ? m : 8;
    }
    while (k < m && base[start + k] == marker[k]) ++k;
    if (k == m) return start;
    p = at + 1;
  }
  return std::string_view::npos;
}
