#include "line_reader.h"

#include <bit>
#include <cstring>

#include "simd.h"

TReadFunction LineReaderRead = PlatRead;

namespace {

bool Fill(TLineReader& r) {
  std::size_t got = 0;
  if (!LineReaderRead(r.Handle, r.Buffer.data() + r.End, r.Buffer.size() - r.End, &got, &r.ErrorText)) {
    r.Failed = true;
    return false;
  }
  if (got == 0) r.AtEof = true;
  r.End += got;
  return true;
}

// Last CR or LF in [from, to), or npos. Searched from the back: in a full
// buffer the last line end is a few bytes from its end.
std::size_t LastTerminator(const char* base, std::size_t from, std::size_t to) {
  for (std::size_t i = to; i > from; --i) {
    char c = base[i - 1];
    if (c == '\n' || c == '\r') return i - 1;
  }
  return std::string_view::npos;
}

void DropSkippedLF(TLineReader& r) {
  if (r.SkipLF && r.Start < r.End) {
    if (r.Buffer[r.Start] == '\n') ++r.Start;
    r.SkipLF = false;
  }
}

// A line longer than the buffer: gather it in r.Long up to its terminator.
bool ReadLongLine(TLineReader& r, std::string_view* block) {
  r.Long.assign(r.Buffer.data() + r.Start, r.End - r.Start);
  r.Start = r.End = 0;
  for (;;) {
    if (!Fill(r)) return false;
    if (r.End == 0) break;  // end of file: the line ends unterminated
    std::size_t t = FindLineEnd(std::string_view(r.Buffer.data(), r.End), 0);
    if (t < r.End) {
      std::size_t next = PastLineEnd(std::string_view(r.Buffer.data(), r.End), t);
      r.Long.append(r.Buffer.data(), next);
      r.Start = next;
      // Only a lone CR at the very end may still have its LF to come.
      r.SkipLF = r.Buffer[t] == '\r' && t + 1 == r.End;
      break;
    }
    r.Long.append(r.Buffer.data(), r.End);
    r.End = 0;
  }
  *block = r.Long;
  return true;
}

}  // namespace

namespace {

constexpr unsigned char kLineEndBytes[2] = {'\r', '\n'};

#if defined(ORVELLA_SSE2) || defined(ORVELLA_AVX2)
// A block of M::Width bytes at a time; at least that many from the text's
// start to n. The last block is the final M::Width bytes, shifted so that
// the bytes already looked at drop out.
template <class M>
inline std::size_t BlockFindLineEnd(const char* base, std::size_t from, std::size_t n, const M& match) {
  constexpr std::size_t W = M::Width;
  std::size_t i = from;
  for (; i + W <= n; i += W) {
    const std::uint32_t bits = match.Bits(base + i);
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
  if (i == n) return n;
  const std::uint32_t bits = match.Bits(base + n - W) >> (W - (n - i));
  return bits ? i + static_cast<std::size_t>(std::countr_zero(bits)) : n;
}
#endif

#ifdef ORVELLA_SSE2
std::size_t Sse2FindLineEnd(const char* base, std::size_t from, std::size_t n) {
  if (n - from >= 32) return BlockFindLineEnd(base, from, n, TSse2Match<2, 32>(kLineEndBytes));
  return BlockFindLineEnd(base, from, n, TSse2Match<2, 16>(kLineEndBytes));
}
#endif

#ifdef ORVELLA_AVX2
ORVELLA_AVX2_KERNEL std::size_t Avx2FindLineEnd(const char* base, std::size_t from, std::size_t n) {
  return BlockFindLineEnd(base, from, n, TAvx2Match<2>(kLineEndBytes));
}
#endif

const TScanWidth gBestWidth = BestScanWidth();

}  // namespace

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
#ifdef ORVELLA_AVX2
  // The common case without a second call.
  if (gBestWidth == kScanAvx2 && from < text.size() && text.size() - from >= 32)
    return Avx2FindLineEnd(text.data(), from, text.size());
#endif
  return FindLineEnd(text, from, gBestWidth);
}

std::size_t FindLineEnd(std::string_view text, std::size_t from, TScanWidth width) {
  const char* base = text.data();
  std::size_t n = text.size();
  if (from >= n) return n;
  // A width the processor cannot run would be an illegal instruction.
  if (width > gBestWidth) width = gBestWidth;
    // Lines are short: one pass for both bytes beats two memchr calls.
#ifdef ORVELLA_AVX2
  if (width == kScanAvx2 && n - from >= 32) return Avx2FindLineEnd(base, from, n);
#endif
#ifdef ORVELLA_SSE2
  if (width >= kScanSse2 && n - from >= 16) return Sse2FindLineEnd(base, from, n);
#endif
  const char* lf = static_cast<const char*>(std::memchr(base + from, '\n', n - from));
  std::size_t limit = lf ? static_cast<std::size_t>(lf - base) : n;
  const char* cr = static_cast<const char*>(std::memchr(base + from, '\r', limit - from));
  return cr ? static_cast<std::size_t>(cr - base) : limit;
}

std::size_t PastLineEnd(std::string_view text, std::size_t t) {
  if (t >= text.size()) return text.size();
  if (text[t] == '\r' && t + 1 < text.size() && text[t + 1] == '\n') return t + 2;
  return t + 1;
}

std::string_view TakeLine(std::string_view block, std::string_view* line) {
  std::size_t t = FindLineEnd(block, 0);
  *line = block.substr(0, t);
  if (t == block.size()) return {};
  return block.substr(PastLineEnd(block, t));
}

bool OpenLineReader(TLineReader& r, const std::string& path) {
  r = TLineReader();
  if (!PlatOpenRead(path, &r.Handle, &r.ErrorText)) {
    r.Failed = true;
    return false;
  }
  r.Buffer.resize(kReadBufferSize);
  return true;
}

bool ReadLineBlock(TLineReader& r, std::string_view* block) {
  if (r.Failed) return false;
  r.Long.clear();
  for (;;) {
    DropSkippedLF(r);
    if (r.Start < r.End) {
      std::size_t t = LastTerminator(r.Buffer.data(), r.Start, r.End);
      if (t != std::string_view::npos) {
        std::size_t next = PastLineEnd(std::string_view(r.Buffer.data(), r.End), t);
        *block = std::string_view(r.Buffer.data() + r.Start, next - r.Start);
        r.SkipLF = r.Buffer[t] == '\r' && next == r.End;
        r.Start = next;
        return true;
      }
      if (r.AtEof) {
        *block = std::string_view(r.Buffer.data() + r.Start, r.End - r.Start);
        r.Start = r.End;
        return true;
      }
      // An unfinished line: keep it at the front and read behind it.
      if (r.Start > 0) {
        std::memmove(r.Buffer.data(), r.Buffer.data() + r.Start, r.End - r.Start);
        r.End -= r.Start;
        r.Start = 0;
      }
      if (r.End == r.Buffer.size()) return ReadLongLine(r, block);
    } else {
      if (r.AtEof) return false;
      r.Start = r.End = 0;
    }
    if (!Fill(r)) return false;
  }
}

bool ReadLine(TLineReader& r, std::string_view* line) {
  if (r.Pending.empty() && !ReadLineBlock(r, &r.Pending)) return false;
  r.Pending = TakeLine(r.Pending, line);
  return true;
}

bool FileSizeOf(TLineReader& r, std::int64_t* size) {
  if (PlatFileSize(r.Handle, size, &r.ErrorText)) return true;
  r.Failed = true;
  return false;
}

bool FileModifiedOf(TLineReader& r, TLocalTime* when) {
  if (PlatFileModified(r.Handle, when, &r.ErrorText)) return true;
  r.Failed = true;
  return false;
}

bool CloseLineReader(TLineReader& r) {
  if (r.Handle == NoPlatHandle) return true;
  TPlatHandle h = r.Handle;
  r.Handle = NoPlatHandle;
  if (PlatClose(h, &r.ErrorText)) return true;
  r.Failed = true;
  return false;
}
