#include "text.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "line_reader.h"
#include "simd.h"
#include "word_walk.h"

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
      if (i == n) return EmptyAt(piece, n);
    }
    while (i < n && set.Has[p[i]]) ++i;
    if (i == n) return EmptyAt(piece, n);
    ++w.Begun;
    w.InWord = true;
  }
}

}  // namespace

#ifdef ORVELLA_SSE2  // AVX2 comes only with it
namespace {

template <int K>
std::string_view Sse2Walk(TWordWalk& w, const TWordCutter& c, std::string_view piece, std::size_t from,
                          long long wanted) {
  if (piece.size() >= 32) return BlockWalk(w, c, piece, from, wanted, TSse2Match<K, 32>(c.Members));
  return BlockWalk(w, c, piece, from, wanted, TSse2Match<K, 16>(c.Members));
}

template <int K>
bool Sse2LineWalk(std::string_view text, std::size_t from, const TWordCutter& c, long long n, TLineWord* cut) {
  return BlockLineWalk(text, from, n, TSse2Match<2, 32>(kLineEndBytes), TSse2Match<K, 32>(c.Members), cut);
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

template <int K>
ORVELLA_AVX2_KERNEL bool Avx2LineWalk(std::string_view text, std::size_t from, const TWordCutter& c, long long n,
                                      TLineWord* cut) {
  return BlockLineWalk(text, from, n, TAvx2Match<2>(kLineEndBytes), TAvx2Match<K>(c.Members), cut);
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

// The walks of a line to its end and one of its words, likewise.
typedef bool (*TLineWalkKernel)(std::string_view, std::size_t, const TWordCutter&, long long, TLineWord*);
#ifdef ORVELLA_AVX2
constexpr TLineWalkKernel kAvx2LineWalks[5] = {Avx2LineWalk<0>, Avx2LineWalk<1>, Avx2LineWalk<2>, Avx2LineWalk<3>,
                                               Avx2LineWalk<4>};
#endif
#ifdef ORVELLA_SSE2
constexpr TLineWalkKernel kSse2LineWalks[5] = {Sse2LineWalk<0>, Sse2LineWalk<1>, Sse2LineWalk<2>, Sse2LineWalk<3>,
                                               Sse2LineWalk<4>};
#endif

}  // namespace

std::string_view WalkToWord(TWordWalk& w, const TWordCutter& cutter, std::string_view piece, std::size_t from,
                            long long wanted) {
  if (WordEnded(w, wanted) || from >= piece.size()) return EmptyAt(piece, std::min(from, piece.size()));
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

TLineWord LineWordOf(std::string_view text, std::size_t from, const TWordCutter& cutter, long long n) {
  TLineWord cut;
  TLineWalkKernel walk = nullptr;
  if (cutter.MemberCount >= 0 && n >= 1) {
    [[maybe_unused]] const TScanWidth width = RunnableScanWidth(cutter.Width);
#ifdef ORVELLA_SSE2
    if (width >= kScanSse2) walk = kSse2LineWalks[cutter.MemberCount];
#endif
#ifdef ORVELLA_AVX2
    if (width == kScanAvx2) walk = kAvx2LineWalks[cutter.MemberCount];
#endif
  }
  if (walk && walk(text, from, cutter, n, &cut)) return cut;
  cut.End = FindLineEnd(text, from, cutter.Width);
  cut.Word = WordOf(text.substr(from, cut.End - from), cutter, n);
  return cut;
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
