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

TScanWidth BestScanWidth() {
  static const TScanWidth best = [] {
#ifdef ORVELLA_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")) return kScanAvx2;
#endif
#ifdef ORVELLA_SSE2
    return kScanSse2;
#else
    return kScanPlain;
#endif
  }();
  return best;
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

#ifdef ORVELLA_SSE2
namespace {

struct TBitCounts {
  unsigned char Of[256];
  constexpr TBitCounts() : Of() {
    for (int i = 0; i < 256; ++i) Of[i] = static_cast<unsigned char>((i & 1) + Of[i / 2]);
  }
};
constexpr TBitCounts kBitCounts;

int PopCount32(std::uint32_t x) {
  return kBitCounts.Of[x & 0xFF] + kBitCounts.Of[(x >> 8) & 0xFF] + kBitCounts.Of[(x >> 16) & 0xFF] +
         kBitCounts.Of[x >> 24];
}

// One bit per byte of the 16 at p: set where the byte is a delimiter.
template <int K>
std::uint32_t DelimiterBits16(const char* p, const __m128i* members) {
  __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i hit = _mm_cmpeq_epi8(v, members[0]);
  for (int k = 1; k < K; ++k) hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, members[k]));
  return static_cast<std::uint32_t>(_mm_movemask_epi8(hit));
}

template <int K, int W>
std::uint32_t DelimiterBits(const char* p, const __m128i* members) {
  if constexpr (W == 16) return DelimiterBits16<K>(p, members);
  return DelimiterBits16<K>(p, members) | (DelimiterBits16<K>(p + 16, members) << 16);
}

// WordOf W bytes at a time (W = 16 or 32, the text at least W long): the
// word starts are the non-delimiter bytes that follow a delimiter or the
// start of the text; they are counted a block at a time.
template <int K, int W>
std::string_view FewDelimiterWordOf(std::string_view text, const TWordCutter& c, long long n) {
  const char* p = text.data();
  const std::size_t len = text.size();
  __m128i members[K];
  for (int k = 0; k < K; ++k) members[k] = _mm_set1_epi8(static_cast<char>(c.Members[k]));
  const std::uint32_t full = W == 32 ? 0xFFFFFFFFu : 0xFFFFu;
  long long count = 0;
  std::uint32_t before = 1;  // the byte before the block is a delimiter
  for (std::size_t i = 0; i < len; i += W) {
    std::uint32_t bits;
    std::uint32_t valid = full;
    if (i + W <= len) {
      bits = DelimiterBits<K, W>(p + i, members);
    } else {
      // The last, partial block: the final W bytes, shifted so that bit 0
      // is byte i again.
      const std::size_t rest = len - i;
      bits = DelimiterBits<K, W>(p + len - W, members) >> (W - rest);
      valid = (1u << rest) - 1;
    }
    std::uint32_t starts = ~bits & ((bits << 1) | before) & valid;
    const int found = PopCount32(starts);
    if (count + found >= n) {
      for (long long skip = n - count - 1; skip > 0; --skip) starts &= starts - 1;
      const int s = std::countr_zero(starts);
      const std::size_t start = i + static_cast<std::size_t>(s);
      const std::uint32_t after = (bits & valid) >> s;
      if (after) return std::string_view(p + start, static_cast<std::size_t>(std::countr_zero(after)));
      std::size_t j = i + W;
      for (; j + 16 <= len; j += 16) {
        std::uint32_t b = DelimiterBits16<K>(p + j, members);
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

template <int K>
std::string_view FewDelimiterWordOf(std::string_view text, const TWordCutter& c, long long n) {
  return text.size() >= 32 ? FewDelimiterWordOf<K, 32>(text, c, n) : FewDelimiterWordOf<K, 16>(text, c, n);
}

}  // namespace
#endif

#ifdef ORVELLA_AVX2
namespace {

template <int K>
ORVELLA_AVX2_TARGET std::uint32_t DelimiterBits32(const char* p, const __m256i* members) {
  __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  __m256i hit = _mm256_cmpeq_epi8(v, members[0]);
  for (int k = 1; k < K; ++k) hit = _mm256_or_si256(hit, _mm256_cmpeq_epi8(v, members[k]));
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(hit));
}

// The same walk as FewDelimiterWordOf<K, 32>, with one 32-byte compare per
// block and the processor's bit count. The text is at least 32 bytes long.
template <int K>
ORVELLA_AVX2_TARGET std::string_view Avx2WordOf(std::string_view text, const TWordCutter& c, long long n) {
  const char* p = text.data();
  const std::size_t len = text.size();
  __m256i members[K];
  for (int k = 0; k < K; ++k) members[k] = _mm256_set1_epi8(static_cast<char>(c.Members[k]));
  long long count = 0;
  std::uint32_t before = 1;
  for (std::size_t i = 0; i < len; i += 32) {
    std::uint32_t bits;
    std::uint32_t valid = 0xFFFFFFFFu;
    if (i + 32 <= len) {
      bits = DelimiterBits32<K>(p + i, members);
    } else {
      const std::size_t rest = len - i;
      bits = DelimiterBits32<K>(p + len - 32, members) >> (32 - rest);
      valid = (1u << rest) - 1;
    }
    std::uint32_t starts = ~bits & ((bits << 1) | before) & valid;
    const int found = __builtin_popcount(starts);
    if (count + found >= n) {
      for (long long skip = n - count - 1; skip > 0; --skip) starts &= starts - 1;
      const int s = __builtin_ctz(starts);
      const std::size_t start = i + static_cast<std::size_t>(s);
      const std::uint32_t after = (bits & valid) >> s;
      if (after) return std::string_view(p + start, static_cast<std::size_t>(__builtin_ctz(after)));
      std::size_t j = i + 32;
      for (; j + 32 <= len; j += 32) {
        std::uint32_t b = DelimiterBits32<K>(p + j, members);
        if (b) return std::string_view(p + start, j + static_cast<std::size_t>(__builtin_ctz(b)) - start);
      }
      while (j < len && !c.Set.Has[static_cast<unsigned char>(p[j])]) ++j;
      return std::string_view(p + start, (j < len ? j : len) - start);
    }
    count += found;
    before = bits >> 31;
  }
  return {};
}

}  // namespace
#endif

std::string_view WordOf(std::string_view text, const TWordCutter& cutter, long long n) {
#ifdef ORVELLA_AVX2
  if (cutter.Width == kScanAvx2 && n >= 1 && text.size() >= 32) {
    switch (cutter.MemberCount) {
      case 1: return Avx2WordOf<1>(text, cutter, n);
      case 2: return Avx2WordOf<2>(text, cutter, n);
      case 3: return Avx2WordOf<3>(text, cutter, n);
      case 4: return Avx2WordOf<4>(text, cutter, n);
      default: break;
    }
  }
#endif
#ifdef ORVELLA_SSE2
  if (cutter.Width >= kScanSse2 && n >= 1 && text.size() >= 16) {
    switch (cutter.MemberCount) {
      case 1: return FewDelimiterWordOf<1>(text, cutter, n);
      case 2: return FewDelimiterWordOf<2>(text, cutter, n);
      case 3: return FewDelimiterWordOf<3>(text, cutter, n);
      case 4: return FewDelimiterWordOf<4>(text, cutter, n);
      default: break;
    }
  }
#endif
  return WordOf(text, cutter.Set, n);
}

std::string RepeatChar(char c, long long count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

namespace {

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

std::string ReplaceText(std::string_view text, std::string_view old, std::string_view replacement,
                        bool firstOnly) {
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
  for (char& c : s) c = UpperByte(c);
  return s;
}

std::string LowerAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = LowerByte(c);
  return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerByte(a[i]) != LowerByte(b[i])) return false;
  return true;
}

std::string_view FileNamePart(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}
