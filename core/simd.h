// Vector intrinsics for the byte scans. SSE2 is part of every x86-64
// processor; AVX2 (with POPCNT) is switched on per function where GCC or
// Clang build the code, and used only when gBestScanWidth says so. Elsewhere
// the plain loops run.
//
// Each match type finds, Width bytes at a time, the bytes equal to one of K
// given bytes (K may be 0: a set with no member matches nothing): bit i of
// Bits(p) is set when p[i] is one of them. The word walk and the search for
// the first byte of a set (line ends, word ends) take one as a template
// argument, so each walk is written once for every width.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "scan_width.h"

// The bytes that end a line, as the line-end searches match them.
inline constexpr unsigned char kLineEndBytes[2] = {'\r', '\n'};

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define ORVELLA_SSE2 1
#endif

#if defined(ORVELLA_SSE2) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define ORVELLA_AVX2 1
#define ORVELLA_AVX2_TARGET __attribute__((target("avx2,popcnt")))
// An entry point of an AVX2 walk: the walk and its match are inlined into it,
// so they are built for AVX2 there and nowhere else.
#define ORVELLA_AVX2_KERNEL __attribute__((target("avx2,popcnt"), flatten))
#endif

#ifdef ORVELLA_SSE2

// Bit counts without the POPCNT instruction, which SSE2 does not promise.
struct TBitCounts {
  unsigned char Of[256];
  constexpr TBitCounts() : Of() {
    for (int i = 0; i < 256; ++i) Of[i] = static_cast<unsigned char>((i & 1) + Of[i / 2]);
  }
};
inline constexpr TBitCounts kBitCounts;

// W = 16 (one compare per member) or 32 (two).
template <int K, int W>
struct TSse2Match {
  static constexpr int Width = W;
  __m128i Members[K > 0 ? K : 1];

  explicit TSse2Match(const unsigned char* members) {
    for (int k = 0; k < K; ++k) Members[k] = _mm_set1_epi8(static_cast<char>(members[k]));
  }
  std::uint32_t Bits16(const char* p) const {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hit = _mm_setzero_si128();
    for (int k = 0; k < K; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, Members[k]));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(hit));
  }
  std::uint32_t Bits(const char* p) const {
    if constexpr (W == 16) return Bits16(p);
    return Bits16(p) | (Bits16(p + 16) << 16);
  }
  static int Count(std::uint32_t x) {
    return kBitCounts.Of[x & 0xFF] + kBitCounts.Of[(x >> 8) & 0xFF] + kBitCounts.Of[(x >> 16) & 0xFF] +
           kBitCounts.Of[x >> 24];
  }
};

#endif

// The bits of the last, partial block [i, n) of a walk, whose text holds
// at least Width bytes before n: the final Width bytes are matched, and
// the bytes before i, already looked at, shifted out.
template <class M>
inline std::uint32_t TailBits(const M& match, const char* base, std::size_t i, std::size_t n) {
  return match.Bits(base + n - M::Width) >> (M::Width - (n - i));
}

// The first byte at or after from that the match finds, or n when none; the
// text holds at least M::Width bytes before n.
template <class M>
inline std::size_t BlockFindFirst(const char* base, std::size_t from, std::size_t n, const M& match) {
  constexpr std::size_t W = M::Width;
  std::size_t i = from;
  for (; i + W <= n; i += W) {
    const std::uint32_t bits = match.Bits(base + i);
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
  if (i >= n) return n;
  const std::uint32_t bits = TailBits(match, base, i, n);
  return bits ? i + static_cast<std::size_t>(std::countr_zero(bits)) : n;
}

// Steps back from *to over whole blocks while [from, *to) holds one: the
// last byte in them that the match finds, or SIZE_MAX, with *to lowered to
// where the search stopped, less than a block after from.
template <class M>
inline std::size_t BlockFindLast(const char* base, std::size_t from, std::size_t* to, const M& match) {
  constexpr std::size_t W = M::Width;
  std::size_t i = *to;
  for (; i - from >= W; i -= W) {
    const std::uint32_t bits = match.Bits(base + i - W);
    if (bits) return i - W + static_cast<std::size_t>(31 - std::countl_zero(bits));
  }
  *to = i;
  return SIZE_MAX;
}

#ifdef ORVELLA_AVX2

template <int K>
struct TAvx2Match {
  static constexpr int Width = 32;
  __m256i Members[K > 0 ? K : 1];

  ORVELLA_AVX2_TARGET explicit TAvx2Match(const unsigned char* members) {
    for (int k = 0; k < K; ++k) Members[k] = _mm256_set1_epi8(static_cast<char>(members[k]));
  }
  ORVELLA_AVX2_TARGET std::uint32_t Bits(const char* p) const {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    __m256i hit = _mm256_setzero_si256();
    for (int k = 0; k < K; ++k) hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, Members[k]));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(hit));
  }
  ORVELLA_AVX2_TARGET static int Count(std::uint32_t x) { return __builtin_popcount(x); }
};

#endif
