#include "text.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "simd.h"

TCharSet CharSetOf(std::string_view text) {
  TCharSet set;
  for (unsigned char c : text) set.Has[c] = true;
  return set;
}

std::string_view WordOf(std::string_view text, const TCharSet& delims, long long n) {
  if (n < 1) return {};
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + text.size();
  long long count = 0;
  for (;;) {
    while (p < end && delims.Has[*p]) ++p;
    if (p == end) return {};
    const unsigned char* start = p;
    while (p < end && !delims.Has[*p]) ++p;
    if (++count == n)
      return std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
  }
}

TWordCutter WordCutterOf(const TCharSet& delims) {
  TWordCutter c;
  c.Set = delims;
  int count = 0;
  for (int b = 0; b < 256; ++b) {
    if (!delims.Has[b]) continue;
    if (count == 4) return c;
    c.Members[count++] = static_cast<unsigned char>(b);
  }
  if (count > 0) c.MemberCount = count;
  c.Width = BestScanWidth();
  return c;
}

#ifdef ORVELLA_SSE2  // AVX2 comes only with it
namespace {

// WordOf a block of M::Width bytes at a time (the text at least that long):
// the word starts are the non-delimiter bytes that follow a delimiter or the
// start of the text; they are counted a block at a time.
template <class M>
inline std::string_view BlockWordOf(std::string_view text, const TWordCutter& c, long long n, const M& match) {
  constexpr int W = M::Width;
  const char* p = text.data();
  const std::size_t len = text.size();
  const std::uint32_t full = W == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  long long count = 0;
  std::uint32_t before = 1;  // the byte before the block is a delimiter
  for (std::size_t i = 0; i < len; i += W) {
    std::uint32_t bits;
    std::uint32_t valid = full;
    if (i + W <= len) {
      bits = match.Bits(p + i);
    } else {
      bits = TailBits(match, p, i, len);
      valid = (1u << (len - i)) - 1;
    }
    std::uint32_t starts = ~bits & ((bits << 1) | before) & valid;
    const int found = M::Count(starts);
    if (count + found >= n) {
      for (long long skip = n - count - 1; skip > 0; --skip) starts &= starts - 1;
      const int s = std::countr_zero(starts);
      const std::size_t start = i + static_cast<std::size_t>(s);
      const std::uint32_t after = (bits & valid) >> s;
      if (after) return std::string_view(p + start, static_cast<std::size_t>(std::countr_zero(after)));
      std::size_t j = i + W;
      for (; j + W <= len; j += W) {
        const std::uint32_t b = match.Bits(p + j);
        if (b) return std::string_view(p + start, j + static_cast<std::size_t>(std::countr_zero(b)) - start);
      }
      while (j < len && !c.Set.Has[static_cast<unsigned char>(p[j])]) ++j;
      return std::string_view(p + start, (j < len ? j : len) - start);
    }
    count += found;
    before = (bits >> (W - 1)) & 1u;
  }
  return {};
}

}  // namespace
#endif

#ifdef ORVELLA_SSE2
namespace {

template <int K>
std::string_view Sse2WordOf(std::string_view text, const TWordCutter& c, long long n) {
  if (text.size() >= 32) return BlockWordOf(text, c, n, TSse2Match<K, 32>(c.Members));
  return BlockWordOf(text, c, n, TSse2Match<K, 16>(c.Members));
}

}  // namespace
#endif

#ifdef ORVELLA_AVX2
namespace {

template <int K>
ORVELLA_AVX2_KERNEL std::string_view Avx2WordOf(std::string_view text, const TWordCutter& c, long long n) {
  return BlockWordOf(text, c, n, TAvx2Match<K>(c.Members));
}

}  // namespace
#endif

namespace {

// The kernels by the cutter's member count (1 to 4).
typedef std::string_view (*TWordKernel)(std::string_view, const TWordCutter&, long long);
#ifdef ORVELLA_AVX2
constexpr TWordKernel kAvx2Kernels[5] = {nullptr, Avx2WordOf<1>, Avx2WordOf<2>, Avx2WordOf<3>, Avx2WordOf<4>};
#endif
#ifdef ORVELLA_SSE2
constexpr TWordKernel kSse2Kernels[5] = {nullptr, Sse2WordOf<1>, Sse2WordOf<2>, Sse2WordOf<3>, Sse2WordOf<4>};
#endif

}  // namespace

std::string_view WordOf(std::string_view text, const TWordCutter& cutter, long long n) {
  if (n >= 1 && cutter.MemberCount >= 1 && cutter.MemberCount <= 4) {
    [[maybe_unused]] const TScanWidth width = RunnableScanWidth(cutter.Width);
#ifdef ORVELLA_AVX2
    if (width == kScanAvx2 && text.size() >= 32) return kAvx2Kernels[cutter.MemberCount](text, cutter, n);
#endif
#ifdef ORVELLA_SSE2
    if (width >= kScanSse2 && text.size() >= 16) return kSse2Kernels[cutter.MemberCount](text, cutter, n);
#endif
  }
  return WordOf(text, cutter.Set, n);
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
  if (text.empty() || text.find(' ') != std::string_view::npos) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted.append(text);
    quoted += '"';
    return quoted;
  }
  return std::string(text);
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
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAsciiByte(a[i]) != LowerAsciiByte(b[i])) return false;
  return true;
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
