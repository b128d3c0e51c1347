// The vector word walk, written once over a match type (see simd.h), for
// the code that builds it into its own loop: the prepared cutter's walks,
// and the scan of whole lines, which then makes no call per line.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>

#include "simd.h"
#include "text.h"

// The empty view at offset at of the piece, which tells the caller where
// the walk stopped when it found nothing (more) of its word.
// at is never past the piece's end, so no check is made (the walks' hot
// returns use it too).
inline std::string_view EmptyAt(std::string_view piece, std::size_t at) {
  return std::string_view(piece.data() + at, 0);
}

#ifdef ORVELLA_SSE2
// The walk M::Width bytes at a time (the piece at least that long). Inside a
// word it jumps to the word's end; between words it counts the word starts
// of a block at once: the bytes outside the set that follow a delimiter, or
// the walk's start, which stands after one.
template <class M>
inline std::string_view BlockWalk(TWordWalk& w, const TWordCutter& c, std::string_view piece, std::size_t i,
                                  long long wanted, const M& match) {
  constexpr std::size_t W = M::Width;
  const char* p = piece.data();
  const std::size_t n = piece.size();
  if (w.InWord) {
    const std::size_t end = BlockFindFirst(p, i, n, match);
    const bool wantedWord = w.Begun == wanted;
    w.InWord = end == n;
    if (wantedWord) return std::string_view(p + i, end - i);
    if (end == n) return EmptyAt(piece, n);
    i = end;
  }
  // The count in a register while it runs; the walk takes it back at the end.
  long long begun = w.Begun;
  const std::uint32_t full = W == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  std::uint32_t before = 1;
  for (; i < n; i += W) {
    std::uint32_t bits;
    std::uint32_t valid = full;
    if (i + W <= n) {
      bits = match.Bits(p + i);
    } else {
      bits = TailBits(match, p, i, n);
      valid = (1u << (n - i)) - 1;
    }
    std::uint32_t starts = ~bits & ((bits << 1) | before) & valid;
    const int found = M::Count(starts);
    if (begun + found >= wanted) {
      for (long long skip = wanted - begun - 1; skip > 0; --skip) starts &= starts - 1;
      const int at = std::countr_zero(starts);
      const std::size_t start = i + static_cast<std::size_t>(at);
      // Mostly the word ends in the same block.
      const std::uint32_t after = (bits & valid) >> at;
      const std::size_t end = after ? start + static_cast<std::size_t>(std::countr_zero(after))
                                    : BlockFindFirst(p, std::min(i + W, n), n, match);
      w.Begun = wanted;
      w.InWord = end == n;
      return std::string_view(p + start, end - start);
    }
    begun += found;
    before = (bits >> (W - 1)) & 1u;
  }
  w.Begun = begun;
  w.InWord = !c.Set.Has[static_cast<unsigned char>(p[n - 1])];
  return EmptyAt(piece, n);
}

#endif
