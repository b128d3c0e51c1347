// Finds the entry marker in a block of text. It jumps with memchr to the
// marker byte that is rarest in the data seen first, then compares the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

struct TMarkerSearch {
  std::string Marker;
  std::size_t RareOffset = 0;
  bool Tuned = false;
  std::uint64_t Head = 0, HeadMask = 0;  // the first (up to) eight bytes
};

void InitMarkerSearch(TMarkerSearch& s, std::string_view marker);

// FindMarker without the look at from itself.
std::size_t FindMarkerFrom(TMarkerSearch& s, std::string_view text, std::size_t from);

// Offset of the first occurrence at or after from, or npos. An empty marker
// is never found. The first search past from tunes itself on the text it is
// given. The scan calls it at the start of the next line, where many layouts
// put their marker: that case costs a compare, not a call.
inline std::size_t FindMarker(TMarkerSearch& s, std::string_view text, std::size_t from) {
  const std::size_t m = s.Marker.size();
  if (m != 0 && m <= 8 && from <= text.size() && text.size() - from >= 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + from, 8);
    if (((w ^ s.Head) & s.HeadMask) == 0) return from;
  }
  return FindMarkerFrom(s, text, from);
}
