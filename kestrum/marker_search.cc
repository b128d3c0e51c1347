#include "marker_search.h"

#include <cstring>

void InitMarkerSearch(TMarkerSearch& s, std::string_view marker) {
  s = TMarkerSearch();
  s.Marker.assign(marker);
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

std::size_t FindMarker(TMarkerSearch& s, std::string_view text, std::size_t from) {
  const std::size_t m = s.Marker.size();
  if (m == 0 || from > text.size() || text.size() - from < m) return std::string_view::npos;
  if (!s.Tuned) Tune(s, text);
  const char* base = text.data();
  const char rare = s.Marker[s.RareOffset];
  // The rare byte can only stand where a whole marker still fits.
  std::size_t p = from + s.RareOffset;
  const std::size_t lastRare = text.size() - m + s.RareOffset;
  while (p <= lastRare) {
    const void* hit = std::memchr(base + p, rare, lastRare + 1 - p);
    if (!hit) break;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
    std::size_t start = at - s.RareOffset;
    if (std::memcmp(base + start, s.Marker.data(), m) == 0) return start;
    p = at + 1;
  }
  return std::string_view::npos;
}
