#include "marker_search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace {

// Whether a line given in pieces of the size holds the marker, as the scan
// asks it of a long line.
bool FoundInPieces(TMarkerFinder& finder, const std::string& line, std::size_t size) {
  TMarkerCarry carry;
  bool found = false;
  for (std::size_t at = 0; at < line.size() || at == 0; at += size)
    found = FindMarkerInPiece(finder, carry, std::string_view(line).substr(at, size), at + size >= line.size());
  return found;
}

}  // namespace

// The search must find what a plain substring search finds, from every
// start, for markers shorter and longer than the eight bytes compared at
// once, near the end of the text and in texts with many near misses; the
// two-way matcher alone too; and a line given in pieces of every size holds
// the marker exactly when it holds it whole, wherever a piece ends in it.
TEST(MarkerSearch, AgreesWithPlainFind) {
  const char* const markers[] = {"<",   "<158>",       " -- Initiated", "abcdabcd", "abcdabcde",
                                 "aab", "Local3.Info", "aaaa",          "abab",     "a<-a<-a<"};
  std::mt19937 next(5);
  for (const char* m : markers) {
    const std::string marker = m;
    TMarkerSearch search;
    PrepareMarkerSearch(search, marker);
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
      TMarkerFinder finder{&search};
      for (std::size_t from = 0; from <= text.size() + 1; ++from) {
        SCOPED_TRACE(marker + " | " + text + " | " + std::to_string(from));
        ASSERT_EQ(FindMarker(finder, text, from), text.find(marker, from));
        ASSERT_EQ(FindMarkerTwoWay(search, text, from), text.find(marker, from));
      }
      for (std::size_t size = 1; size <= text.size(); ++size)
        ASSERT_EQ(FoundInPieces(finder, text, size), text.find(marker) != std::string::npos)
            << marker << " | " << text << " | pieces of " << size;
    }
  }
}

// Repetitive text under a long marker, where every byte is a candidate
// that matches long before it fails: the search stays linear. Before, this
// took eleven seconds in a release build.
TEST(MarkerSearch, RepetitiveTextUnderALongMarkerStaysLinear) {
  const std::string text = std::string(70000, 'b') + std::string(2000000, 'a');
  for (const std::string& marker : {std::string(10000, 'a') + "b", std::string(10001, 'a') + "c"}) {
    TMarkerSearch search;
    PrepareMarkerSearch(search, marker);
    TMarkerFinder finder{&search};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(FindMarker(finder, text, 0), std::string::npos);
    EXPECT_FALSE(FoundInPieces(finder, text, 65536));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  }
}
