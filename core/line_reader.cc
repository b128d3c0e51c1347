#include "line_reader.h"

#include <bit>
#include <cstring>
#include <mutex>
#include <new>

#include "simd.h"

bool ReadFileAt(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                std::string* err) {
  if (offset < 0) return PlatRead(handle, buffer, capacity, got, err);
  return PlatReadAt(handle, offset, buffer, capacity, got, err);
}

TReadFunction LineReaderRead = ReadFileAt;
std::size_t LineReaderBufferSize = kReadBufferSize;

namespace {

bool Fail(TLineReader& r) {
  r.Failed = true;
  return false;
}

// Every read of the reader, at an offset or (below 0) at the handle's position.
bool ReadFor(TLineReader& r, std::int64_t at, char* buffer, std::size_t capacity, std::size_t* got) {
  if (r.Cancel.Asks && r.Cancel.Asks(r.Cancel.Context)) {
    r.Cancelled = true;
    r.ErrorText.clear();
    return Fail(r);
  }
  return LineReaderRead(r.Handle, at, buffer, capacity, got, &r.ErrorText) || Fail(r);
}

// Reads behind r.End.
bool Fill(TLineReader& r) {
  std::size_t got = 0;
  const std::int64_t at = r.ReadsAtOffsets ? r.BufferAt + static_cast<std::int64_t>(r.End) : -1;
  if (!ReadFor(r, at, r.Buffer.data() + r.End, r.Buffer.size() - r.End, &got)) return false;
  if (got == 0) r.AtEof = true;
  r.End += got;
  return true;
}

// Empties the buffer, keeping count of where it stands in the file.
void Drain(TLineReader& r) {
  r.BufferAt += static_cast<std::int64_t>(r.End);
  r.Start = r.End = 0;
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

std::int64_t OffsetOf(const TLineReader& r, std::size_t at) { return r.BufferAt + static_cast<std::int64_t>(at); }

// Cuts a block of whole lines [r.Start, next) before the first line that
// starts at or past the limit.
std::size_t CutAtLimit(TLineReader& r, std::size_t next) {
  if (OffsetOf(r, next) <= r.Limit) return next;
  const std::string_view buffer(r.Buffer.data(), next);
  std::size_t at = r.Start;
  while (at < next && OffsetOf(r, at) < r.Limit) at = PastLineEnd(buffer, FindLineEnd(buffer, at));
  r.AtLimit = true;
  return at;
}

// The line ends at Buffer[t]: reading goes on after its terminator. Only a
// lone CR at the very end may still have its LF to come.
void ContinueAfter(TLineReader& r, std::size_t t) {
  r.Start = PastLineEnd(std::string_view(r.Buffer.data(), r.End), t);
  r.SkipLF = r.Buffer[t] == '\r' && t + 1 == r.End;
}

// Steps past the rest of the line that holds the byte before r.Start, unless
// that rest reaches the limit: then the range holds no line.
bool SkipToLineStart(TLineReader& r) {
  for (;;) {
    const std::string_view buffer(r.Buffer.data(), r.End);
    const std::size_t t = FindLineEnd(buffer, r.Start);
    if (t < r.End) {
      if (OffsetOf(r, t) >= r.Limit) r.AtLimit = true;
      ContinueAfter(r, t);
      return true;
    }
    if (OffsetOf(r, r.End) >= r.Limit) {
      r.AtLimit = true;
      return true;
    }
    if (r.AtEof) return true;
    Drain(r);
    if (!Fill(r)) return false;
  }
}

constexpr unsigned char kLineEndBytes[2] = {'\r', '\n'};

#ifdef ORVELLA_SSE2  // AVX2 comes only with it
// A block of M::Width bytes at a time; at least that many from the text's
// start to n.
template <class M>
inline std::size_t BlockFindLineEnd(const char* base, std::size_t from, std::size_t n, const M& match) {
  constexpr std::size_t W = M::Width;
  std::size_t i = from;
  for (; i + W <= n; i += W) {
    const std::uint32_t bits = match.Bits(base + i);
    if (bits) return i + static_cast<std::size_t>(std::countr_zero(bits));
  }
  if (i == n) return n;
  const std::uint32_t bits = TailBits(match, base, i, n);
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

}  // namespace

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
#ifdef ORVELLA_AVX2
  // The common case without a second call.
  if (gBestScanWidth == kScanAvx2 && from < text.size() && text.size() - from >= 32)
    return Avx2FindLineEnd(text.data(), from, text.size());
#endif
  return FindLineEnd(text, from, gBestScanWidth);
}

std::size_t FindLineEnd(std::string_view text, std::size_t from, TScanWidth width) {
  const char* base = text.data();
  std::size_t n = text.size();
  if (from >= n) return n;
  width = RunnableScanWidth(width);
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

bool OpenLineReader(TLineReader& r, const TFileName& path) {
  r = TLineReader();
  if (!PlatOpenRead(path, &r.Handle, &r.ErrorText)) return Fail(r);
  r.ReadsAtOffsets = PlatCanReadAt(r.Handle);
  r.Buffer.resize(LineReaderBufferSize);
  return true;
}

bool OpenLineRange(TLineReader& r, TPlatHandle handle, std::int64_t begin, std::int64_t limit, TReadCancel cancel) {
  r = TLineReader();
  r.Cancel = cancel;
  r.Handle = handle;
  r.OwnsHandle = false;
  r.ReadsAtOffsets = true;
  r.Limit = limit;
  r.Buffer.resize(LineReaderBufferSize);
  if (begin <= 0) return true;
  // The byte before the range tells whether a line starts at its first.
  r.BufferAt = begin - 1;
  if (!Fill(r)) return false;
  if (r.End == 0) return true;
  const char before = r.Buffer[0];
  r.Start = 1;
  if (before == '\r') r.SkipLF = true;
  if (before == '\r' || before == '\n') return true;
  return SkipToLineStart(r);
}

namespace {

// Lines taken whole get memory straight from the system, which takes it
// back when they are let go: the C library may keep a freed block for the
// thread that freed it, and over several threads that adds up. One block
// waits for the next line, so that a run of long lines does not pay for
// fresh pages every time; it is never larger than the longest line.
struct TSpareBlock {
  std::mutex Lock;
  char* Block = nullptr;  // guarded by Lock, as Size
  std::size_t Size = 0;
};
TSpareBlock gSpare;

TWholeLine TakeWholeLineBlock(std::size_t size) {
  char* spare = nullptr;
  std::size_t spareSize = 0;
  {
    std::lock_guard<std::mutex> lock(gSpare.Lock);
    std::swap(spare, gSpare.Block);
    std::swap(spareSize, gSpare.Size);
  }
  if (spare && spareSize >= size) return TWholeLine(spare, TWholeLineFree{spareSize});
  // Too small: gone before the new one comes, so that the two never stand together.
  PlatFreePages(spare, spareSize);
  char* block = static_cast<char*>(PlatAllocatePages(size));
  if (!block) throw std::bad_alloc();
  return TWholeLine(block, TWholeLineFree{size});
}

// Reads what is left of the long line.
bool FinishLongLine(TLineReader& r) {
  std::string_view piece;
  bool last = false;
  while (!r.LongEnded)
    if (!ReadLongLinePiece(r, &piece, &last)) return false;
  return true;
}

}  // namespace

bool ReadBlockOrPiece(TLineReader& r, std::string_view* block, TBlockKind* kind) {
  if (r.Failed) return false;
  if (r.InLongLine) {
    // The caller may have left the long line before its end: step over the
    // rest, and let go of what was held of it.
    if (!FinishLongLine(r)) return false;
    r.InLongLine = false;
    DropLongLine(r);
  }
  *kind = TBlockKind::Lines;
  for (;;) {
    DropSkippedLF(r);
    if (r.AtLimit || (r.Start < r.End && OffsetOf(r, r.Start) >= r.Limit)) {
      r.AtLimit = true;
      return false;
    }
    if (r.Start < r.End) {
      std::size_t t = LastTerminator(r.Buffer.data(), r.Start, r.End);
      if (t != std::string_view::npos) {
        std::size_t next = PastLineEnd(std::string_view(r.Buffer.data(), r.End), t);
        r.SkipLF = r.Buffer[t] == '\r' && next == r.End;
        next = CutAtLimit(r, next);
        *block = std::string_view(r.Buffer.data() + r.Start, next - r.Start);
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
        r.BufferAt += static_cast<std::int64_t>(r.Start);
        r.End -= r.Start;
        r.Start = 0;
      }
      if (r.End == r.Buffer.size()) {
        // It outgrew the buffer: hand it out piece by piece.
        r.InLongLine = true;
        r.LongEnded = false;
        r.LongStart = r.BufferAt;
        r.LongSize = static_cast<std::int64_t>(r.End);
        *block = std::string_view(r.Buffer.data(), r.End);
        if (!r.ReadsAtOffsets && r.GathersLongLines) r.Gathered.assign(*block);
        r.Start = r.End;
        *kind = TBlockKind::LongLine;
        return true;
      }
    } else {
      if (r.AtEof) return false;
      Drain(r);
    }
    if (!Fill(r)) return false;
  }
}

bool ReadLongLinePiece(TLineReader& r, std::string_view* piece, bool* last) {
  if (r.Failed || !r.InLongLine || r.LongEnded) return false;
  Drain(r);
  if (!Fill(r)) return false;
  const std::string_view buffer(r.Buffer.data(), r.End);
  const std::size_t t = FindLineEnd(buffer, 0);
  *piece = buffer.substr(0, t);
  *last = t < r.End || r.AtEof;
  if (t < r.End) {
    ContinueAfter(r, t);
  } else {
    r.Start = r.End;
  }
  r.LongEnded = *last;
  r.LongSize += static_cast<std::int64_t>(piece->size());
  if (!r.ReadsAtOffsets && r.GathersLongLines) r.Gathered.append(*piece);
  return true;
}

bool ReadLongLineWhole(TLineReader& r, std::string_view* line) {
  if (r.Failed || !r.InLongLine) return false;
  if (!r.ReadsAtOffsets && !r.GathersLongLines) {
    r.ErrorText = "A long line was not kept whole";
    return Fail(r);
  }
  if (!FinishLongLine(r)) return false;
  if (!r.ReadsAtOffsets) {
    *line = r.Gathered;
    return true;
  }
  // Read again from its start, into exactly its size.
  const std::size_t size = static_cast<std::size_t>(r.LongSize);
  r.Held.reset();
  r.Held = TakeWholeLineBlock(size);
  std::size_t have = 0;
  while (have < size) {
    std::size_t got = 0;
    if (!ReadFor(r, r.LongStart + static_cast<std::int64_t>(have), r.Held.get() + have, size - have, &got))
      return false;
    if (got == 0) break;  // cut short while being read: what is left of it
    have += got;
  }
  *line = std::string_view(r.Held.get(), have);
  return true;
}

void TWholeLineFree::operator()(char* block) const {
  // The larger of it and the waiting one waits on.
  char* other = block;
  std::size_t otherSize = Size;
  {
    std::lock_guard<std::mutex> lock(gSpare.Lock);
    if (otherSize > gSpare.Size) {
      std::swap(other, gSpare.Block);
      std::swap(otherSize, gSpare.Size);
    }
  }
  PlatFreePages(other, otherSize);
}

void DropLongLine(TLineReader& r) {
  r.Held.reset();
  r.Gathered.clear();
  r.Gathered.shrink_to_fit();
}

bool ReadLineBlock(TLineReader& r, std::string_view* block) {
  TBlockKind kind;
  if (!ReadBlockOrPiece(r, block, &kind)) return false;
  return kind == TBlockKind::Lines || ReadLongLineWhole(r, block);
}

bool ReadLine(TLineReader& r, std::string_view* line) {
  if (r.Pending.empty() && !ReadLineBlock(r, &r.Pending)) return false;
  r.Pending = TakeLine(r.Pending, line);
  return true;
}

bool FileSizeOf(TLineReader& r, std::int64_t* size) { return PlatFileSize(r.Handle, size, &r.ErrorText) || Fail(r); }

std::int64_t SizeNow(const TLineReader& r) {
  std::int64_t size = 0;
  std::string ignored;
  return r.ReadsAtOffsets && PlatFileSize(r.Handle, &size, &ignored) ? size : -1;
}

bool FileModifiedOf(TLineReader& r, TLocalTime* when) {
  return PlatFileModified(r.Handle, when, &r.ErrorText) || Fail(r);
}

bool CloseLineReader(TLineReader& r) {
  if (r.Handle == NoPlatHandle) return true;
  TPlatHandle h = r.Handle;
  r.Handle = NoPlatHandle;
  if (!r.OwnsHandle) return true;
  return PlatClose(h, &r.ErrorText) || Fail(r);
}
