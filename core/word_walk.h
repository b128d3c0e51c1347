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

// The bits of 64 bytes, matched as two blocks of 32.
template <class M>
inline std::uint64_t Bits64(const M& match, const char* p) {
  static_assert(M::Width == 32);
  return match.Bits(p) | static_cast<std::uint64_t>(match.Bits(p + 32)) << 32;
}

// The line that starts at from and its word wanted (from 1), walked 64
// bytes at a time: the line-end bytes count as delimiters that also end the
// walk, so the bytes before the word are looked at once, not once for the
// line end and again for the word. The cut's end is the line's first CR or
// LF, or the text's end; its word is empty when the line has fewer words. False when
// the walk came within 64 bytes of the text's end first: the caller then
// cuts that line another way.
template <class E, class M>
inline bool BlockLineWalk(std::string_view text, std::size_t from, long long wanted, const E& ends, const M& delims,
                          TLineWord* cut) {
  constexpr std::size_t W = 64;
  const char* p = text.data();
  const std::size_t n = text.size();
  long long begun = 0;
  std::uint64_t before = 1;  // the line's start stands after a delimiter
  std::size_t start = std::string_view::npos;
  for (std::size_t i = from; i + W <= n; i += W) {
    const std::uint64_t lineEnds = Bits64(ends, p + i);
    const std::uint64_t cuts = Bits64(delims, p + i) | lineEnds;
    std::size_t wordEnd;
    if (start == std::string_view::npos) {
      // Words start only before the block's first line end.
      const std::uint64_t inLine = (lineEnds & (0 - lineEnds)) - 1;
      std::uint64_t starts = ~cuts & ((cuts << 1) | before) & inLine;
      const int found = std::popcount(starts);
      if (begun + found < wanted) {
        if (lineEnds) {
          cut->End = i + static_cast<std::size_t>(std::countr_zero(lineEnds));
          cut->Word = EmptyAt(text, cut->End);
          return true;
        }
        begun += found;
        before = cuts >> (W - 1);
        continue;
      }
      for (long long skip = wanted - begun - 1; skip > 0; --skip) starts &= starts - 1;
      const int at = std::countr_zero(starts);
      start = i + static_cast<std::size_t>(at);
      const std::uint64_t after = cuts >> at;
      if (!after) continue;
      wordEnd = start + static_cast<std::size_t>(std::countr_zero(after));
    } else {
      if (!cuts) continue;
      wordEnd = i + static_cast<std::size_t>(std::countr_zero(cuts));
    }
    // The word ends at a delimiter or at the line end, so no line end lies
    // before it.
    cut->End = lineEnds ? i + static_cast<std::size_t>(std::countr_zero(lineEnds)) : BlockFindFirst(p, i + W, n, ends);
    cut->Word = std::string_view(p + start, wordEnd - start);
    return true;
  }
  return false;
}

#endif
