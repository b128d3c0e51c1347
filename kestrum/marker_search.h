// Finds the entry marker in a block of text. It jumps with memchr to the
// marker byte that is rarest in the data seen first, then compares the rest.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct TMarkerSearch {
  std::string Marker;
  std::size_t RareOffset = 0;
  bool Tuned = false;
};

void InitMarkerSearch(TMarkerSearch& s, std::string_view marker);

// Offset of the first occurrence at or after from, or npos. An empty marker
// is never found. The first call tunes the search on the text it is given.
std::size_t FindMarker(TMarkerSearch& s, std::string_view text, std::size_t from);
