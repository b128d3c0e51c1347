#include "text.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "simd.h"

TCharSet CharSetOf(std::string_view text) {
  TCharSet set;
  for (unsigned char c : text) set.Has[c] = true;
  return set;
}

TWordCutter WordCutterOf(const TCharSet& delims) {
  TWordCutter c{.Set = delims};
  int count = 0;
  for (int b = 0; b < 256; ++b) {
    if (!delims.Has[b]) continue;
    if (count == 4) return c;
    c.Members[count++] = static_cast<unsigned char>(b);
  }
  c.MemberCount = count;
  return c;
}

namespace {

// The empty view at offset at of the piece, which tells the caller where
// the walk stopped when it found nothing (more) of its word.
// at is never past the piece's end, so no check is made (the walks' hot
// returns use it too).
std::string_view At(std::string_view piece, std::size_t at) { return std::string_view(piece.data() + at, 0); }

// The walk a byte at a time, for any set and any piece: the path for sets
// of more than four bytes, short pieces and processors without SSE2.
// Kept out of line: inlined into WalkToWord, it slows the entry of the
// vector walks (3 % more instructions on a scan).
[[gnu::noinline]] std::string_view PlainWalk(TWordWalk& w, const TCharSet& set, std::string_view piece, std::size_t i,
                                             long long wanted) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(piece.data());
  const std::size_t n = piece.size();
  for (;;) {
    if (w.InWord) {
      const std::size_t start = i;
      while (i < n && !set.Has[p[i]]) ++i;
      const bool wantedWord = w.Begun == wanted;
      w.InWord = i == n;
      if (wantedWord) return piece.substr(start, i - start);
      if (i == n) return At(piece, n);
    }
    while (i < n && set.Has[p[i]]) ++i;
    if (i == n) return At(piece, n);
    ++w.Begun;
    w.InWord = true;
  }
}

}  // namespace

#ifdef ORVELLA_SSE2  // AVX2 comes only with it
namespace {

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
    if (end == n) return At(piece, n);
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
  return At(piece, n);
}

template <int K>
std::string_view Sse2Walk(TWordWalk& w, const TWordCutter& c, std::string_view piece, std::size_t from,
                          long long wanted) {
  if (piece.size() >= 32) return BlockWalk(w, c, piece, from, wanted, TSse2Match<K, 32>(c.Members));
  return BlockWalk(w, c, piece, from, wanted, TSse2Match<K, 16>(c.Members));
}

}  // namespace
#endif

#ifdef ORVELLA_AVX2
namespace {

template <int K>
ORVELLA_AVX2_KERNEL std::string_view Avx2Walk(TWordWalk& w, const TWordCutter& c, std::string_view piece,
                                              std::size_t from, long long wanted) {
  return BlockWalk(w, c, piece, from, wanted, TAvx2Match<K>(c.Members));
}

}  // namespace
#endif

namespace {

// The walks by the cutter's member count (0 to 4).
typedef std::string_view (*TWalkKernel)(TWordWalk&, const TWordCutter&, std::string_view, std::size_t, long long);
#ifdef ORVELLA_AVX2
constexpr TWalkKernel kAvx2Walks[5] = {Avx2Walk<0>, Avx2Walk<1>, Avx2Walk<2>, Avx2Walk<3>, Avx2Walk<4>};
#endif
#ifdef ORVELLA_SSE2
constexpr TWalkKernel kSse2Walks[5] = {Sse2Walk<0>, Sse2Walk<1>, Sse2Walk<2>, Sse2Walk<3>, Sse2Walk<4>};
#endif

}  // namespace

std::string_view WalkToWord(TWordWalk& w, const TWordCutter& cutter, std::string_view piece, std::size_t from,
                            long long wanted) {
  if (WordEnded(w, wanted) || from >= piece.size()) return At(piece, std::min(from, piece.size()));
  if (cutter.MemberCount >= 0) {
    [[maybe_unused]] const TScanWidth width = RunnableScanWidth(cutter.Width);
#ifdef ORVELLA_AVX2
    if (width == kScanAvx2 && piece.size() >= 32) return kAvx2Walks[cutter.MemberCount](w, cutter, piece, from, wanted);
#endif
#ifdef ORVELLA_SSE2
    if (width >= kScanSse2 && piece.size() >= 16) return kSse2Walks[cutter.MemberCount](w, cutter, piece, from, wanted);
#endif
  }
  return PlainWalk(w, cutter.Set, piece, from, wanted);
}

std::string_view WordOf(std::string_view text, const TWordCutter& cutter, long long n) {
  TWordWalk walk;
  return WalkToWord(walk, cutter, text, 0, n);
}


std::string RepeatChar(char c, long long count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

std::string ReplaceText(std::string_view text, std::string_view old, std::string_view replacement, bool firstOnly) {
  if (old.empty() || old.size() > text.size()) return std::string(text);
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + old.size() <= text.size() && EqualsIgnoreCase(text.substr(i, old.size()), old)) {
      result.append(replacement);
      i += old.size();
      if (firstOnly) break;
    } else {
      result.push_back(text[i++]);
    }
  }
  result.append(text.substr(i));
  return result;
}

std::string QuoteIfNeeded(std::string_view text) {
  if (!text.empty() && text.find(' ') == std::string_view::npos) return std::string(text);
  return '"' + std::string(text) + '"';
}

std::string UpperAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = UpperAsciiByte(c);
  return s;
}

std::string LowerAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = LowerAsciiByte(c);
  return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return LowerAsciiByte(x) == LowerAsciiByte(y); });
}

std::string_view FileNamePart(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view DirectoryPart(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos) return {};
  if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}
