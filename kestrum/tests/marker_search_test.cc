#include "marker_search.h"

#include <gtest/gtest.h>

#include <string>

// The search must find what a plain substring search finds, from every
// start, for markers shorter and longer than the eight bytes compared at
// once, near the end of the text and in texts with many near misses.
TEST(MarkerSearch, AgreesWithPlainFind) {
  const char* const markers[] = {"<", "<158>", " -- Initiated", "abcdabcd", "abcdabcde", "aab", "Local3.Info"};
  std::uint32_t seed = 5;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (const char* m : markers) {
    const std::string marker = m;
    TMarkerSearch search;
    InitMarkerSearch(search, marker);
    for (int round = 0; round < 200; ++round) {
      std::string text;
      for (std::uint32_t len = next() % 80; text.size() < len;) {
        std::uint32_t r = next() % 10;
        if (r == 0)
          text += marker;
        else if (r == 1)
          text += marker.substr(0, next() % marker.size());
        else
          text += "abcd <->158"[next() % 11];
      }
      for (std::size_t from = 0; from <= text.size() + 1; ++from) {
        SCOPED_TRACE(marker + " | " + text + " | " + std::to_string(from));
        ASSERT_EQ(FindMarker(search, text, from), text.find(marker, from));
      }
    }
  }
}
