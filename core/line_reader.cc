#include "line_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "invariants.h"
#include "simd.h"

namespace {

// What readers open with, changed only by a TReadSeam.
TReadFunction gSeamRead = PlatRead;
std::size_t gSeamBufferSize = kReadBufferSize;

// The invariants written above TLineReader, where they can be checked
// between two calls.
void CheckLineReader(const TLineReader& r) {
  ORVELLA_INVARIANT(r.Start <= r.End && r.End <= r.Buffer.size());
  ORVELLA_INVARIANT(r.BufferAt >= 0);
  ORVELLA_INVARIANT(!r.SkipLF || r.Start == r.End || r.AtLimit);
  ORVELLA_INVARIANT(r.ReadsAtOffsets || r.Limit == kNoLimit);
  ORVELLA_INVARIANT(r.InPiece == TBlockKind::Lines || r.Start == r.End);
  ORVELLA_INVARIANT(!r.Failed || !r.ErrorText.empty());
}

// A fresh reader with its buffer, reading through the seam's read. The
// memory comes first: running out of it then leaves no file open. A reader
// opened again keeps its buffer, so that a worker's stretches after the
// first cost no allocation.
void StartReader(TLineReader& r, TLongLines longLines) {
  auto buffer = std::move(r.Buffer);
  r = TLineReader();
  r.LongLines = longLines;
  r.Read = gSeamRead;
  r.Buffer = std::move(buffer);
  r.Buffer.resize(gSeamBufferSize);
#ifdef ORVELLA_CHECK_INVARIANTS
  // The bytes no read has filled are left as they were: line ends in the
  // builds that test, so that a scan that looked past what was read would
  // find lines that are not there.
  std::fill(r.Buffer.begin(), r.Buffer.end(), '\n');
#endif
}

bool Fail(TLineReader& r) {
  r.Failed = true;
  if (r.ErrorText.empty()) r.ErrorText = "Read failed";
  return false;
}

std::int64_t OffsetOf(const TLineReader& r, std::size_t at) { return r.BufferAt + static_cast<std::int64_t>(at); }

// Reads at most most bytes behind what the buffer holds: at the offset
// that follows it, or at the handle's position.
bool Fill(TLineReader& r, std::size_t most) {
  std::size_t got = 0;
  const std::int64_t at = r.ReadsAtOffsets ? OffsetOf(r, r.End) : -1;
  const std::size_t size = std::min(most, r.Buffer.size() - r.End);
  if (!r.Read(r.Handle, at, r.Buffer.data() + r.End, size, &got, &r.ErrorText)) return Fail(r);
  if (got == 0) r.AtEof = true;
  r.End += got;
  return true;
}

// The system's copy out of its file cache into the buffer took a tenth
// longer where the file's cache lines and the buffer's stood apart (a read
// at an offset that is a multiple of 64 into an address that is not).
constexpr std::size_t kCacheLine = 64;

// What is not handed out yet (an unfinished line, or nothing) moves to the
// front, so that the next read goes on behind it; BufferAt keeps count of
// where the buffer stands in the input. Before a read of lines, a short line
// takes the bytes before it along (handed out already), as many as put the
// buffer's front at an offset that is a multiple of 64, so that the
// buffer's cache lines hold the file's; a longer one, which may come to
// fill the buffer, goes to the very front, as does all before a piece.
void KeepUnfinishedLine(TLineReader& r, bool forLines) {
  const std::size_t rest = r.End - r.Start;
  const std::size_t pad = static_cast<std::size_t>(OffsetOf(r, r.Start)) % kCacheLine;
  const bool aligned = forLines && rest + kCacheLine <= LinesReadSize(r.Buffer.size()) && pad <= r.Start;
  const std::size_t before = aligned ? pad : 0;
  const std::size_t from = r.Start - before;
  if (from == 0) return;
  std::memmove(r.Buffer.data(), r.Buffer.data() + from, before + rest);
  r.BufferAt += static_cast<std::int64_t>(from);
  r.End -= from;
  r.Start -= from;
}

void DropSkippedLF(TLineReader& r) {
  if (r.SkipLF && r.Start < r.End) {
    if (r.Buffer[r.Start] == '\n') ++r.Start;
    r.SkipLF = false;
  }
}

// Where reading goes on after the line end at Buffer[t], or End when t is
// at or past End. Only a lone CR at the very end may still have its LF to
// come, which SkipLF then says.
std::size_t AfterLineEnd(TLineReader& r, std::size_t t) {
  r.SkipLF = t < r.End && r.Buffer[t] == '\r' && t + 1 == r.End;
  return PastLineEnd(std::string_view(r.Buffer.data(), r.End), t);
}

// Where a block of whole lines from Start must end so that no line of it
// starts at or past the limit: the start of the first line that would.
std::size_t CutAtLimit(TLineReader& r, std::size_t next) {
  if (OffsetOf(r, next) <= r.Limit) return next;
  r.AtLimit = true;
  const std::string_view buffer(r.Buffer.data(), next);
  std::size_t at = r.Start;
  while (at < next && OffsetOf(r, at) < r.Limit) at = PastLineEnd(buffer, FindLineEnd(buffer, at));
  return at;
}

// Hands out [Start, end) as the block, and reading goes on at end.
void HandOut(TLineReader& r, TBlock* b, TBlockKind kind, std::size_t end, bool lineEnds) {
  b->Kind = kind;
  b->Text = std::string_view(r.Buffer.data() + r.Start, end - r.Start);
  b->At = OffsetOf(r, r.Start);
  b->LineEnds = lineEnds;
  r.Start = end;
}

// The whole lines that [Start, End) holds, as one block; false when it
// holds none (an unfinished line that the input may still go on with).
bool HandOutWholeLines(TLineReader& r, TBlock* b) {
  const std::size_t t = LastLineEnd(std::string_view(r.Buffer.data(), r.End), r.Start, r.End);
  // Without a line end, the rest is a whole line only at the input's end:
  // its last line, without terminator, which ends at End.
  if (t == std::string_view::npos && !r.AtEof) return false;
  HandOut(r, b, TBlockKind::Lines, CutAtLimit(r, AfterLineEnd(r, t)), true);
  return true;
}

// The next piece of the long line: what the buffer still holds of it, or a
// fresh read. A Skipped line that reaches the limit leaves the stretch
// without a line of its own.
bool ReadPiece(TLineReader& r, TBlock* b) {
  if (r.Start == r.End) {
    KeepUnfinishedLine(r, false);
    // The line before a stretch is mostly short, and the stretch's own lines
    // follow it in the same read: read as much as for lines. A line known to
    // be long is read in all the buffer.
    const std::size_t size = r.Buffer.size();
    if (!Fill(r, r.InPiece == TBlockKind::Skipped ? LinesReadSize(size) : size)) return false;
  }
  const std::size_t t = FindLineEnd(std::string_view(r.Buffer.data(), r.End), r.Start);
  if (r.InPiece == TBlockKind::Skipped && t == r.End && OffsetOf(r, r.End) >= r.Limit && !r.AtEof) {
    r.AtLimit = true;
    return false;
  }
  HandOut(r, b, r.InPiece, t, t < r.End || r.AtEof);
  r.Start = AfterLineEnd(r, t);
  if (b->LineEnds) r.InPiece = TBlockKind::Lines;
  return true;
}

// The next run of whole lines, or the first piece of a line that outgrew
// the buffer.
bool ReadLines(TLineReader& r, TBlock* b) {
  for (;;) {
    DropSkippedLF(r);
    if (r.AtLimit || (r.Start < r.End && OffsetOf(r, r.Start) >= r.Limit)) {
      r.AtLimit = true;
      return false;
    }
    if (r.Start < r.End && HandOutWholeLines(r, b)) return true;
    if (r.Start == r.End && r.AtEof) return false;
    KeepUnfinishedLine(r, true);
    if (r.End == r.Buffer.size()) {
      HandOut(r, b, TBlockKind::LinePiece, r.End, false);
      r.InPiece = TBlockKind::LinePiece;
      return true;
    }
    // The unfinished line is mostly short: the buffer is filled to the
    // size of a read of lines, whose lines are then scanned while the
    // caches still hold them. A longer line is read on in all the room
    // left, so that it takes few reads.
    const std::size_t step = LinesReadSize(r.Buffer.size());
    const std::size_t held = r.End - r.Start;
    if (!Fill(r, held < step ? step - held : r.Buffer.size())) return false;
  }
}

// A long line whose first piece is at hand, gathered into one block.
bool GatherLongLine(TLineReader& r, TBlock* b) {
  const std::int64_t at = b->At;
  r.Gathered.assign(b->Text);
  while (!b->LineEnds) {
    if (!ReadPiece(r, b)) return false;
    r.Gathered.append(b->Text);
  }
  b->Kind = TBlockKind::Lines;
  b->Text = r.Gathered;
  b->At = at;
  return true;
}

// The last CR or LF in [from, to), a byte at a time.
std::size_t PlainLastLineEnd(const char* base, std::size_t from, std::size_t to) {
  for (std::size_t t = to; t > from; --t)
    if (IsLineEndByte(base[t - 1])) return t - 1;
  return std::string_view::npos;
}

#ifdef ORVELLA_SSE2
std::size_t Sse2FindLineEnd(const char* base, std::size_t from, std::size_t n) {
  if (n >= 32) return BlockFindFirst(base, from, n, TSse2Match<2, 32>(kLineEndBytes));
  return BlockFindFirst(base, from, n, TSse2Match<2, 16>(kLineEndBytes));
}

std::size_t Sse2FindLastLineEnd(const char* base, std::size_t from, std::size_t* to) {
  return BlockFindLast(base, from, to, TSse2Match<2, 32>(kLineEndBytes));
}
#endif

#ifdef ORVELLA_AVX2
ORVELLA_AVX2_KERNEL std::size_t Avx2FindLineEnd(const char* base, std::size_t from, std::size_t n) {
  return BlockFindFirst(base, from, n, TAvx2Match<2>(kLineEndBytes));
}

ORVELLA_AVX2_KERNEL std::size_t Avx2FindLastLineEnd(const char* base, std::size_t from, std::size_t* to) {
  return BlockFindLast(base, from, to, TAvx2Match<2>(kLineEndBytes));
}
#endif

}  // namespace

std::size_t FindLineEnd(std::string_view text, std::size_t from) { return FindLineEnd(text, from, gBestScanWidth); }

std::size_t FindLineEnd(std::string_view text, std::size_t from, TScanWidth width) {
  const char* base = text.data();
  const std::size_t n = text.size();
  if (from >= n) return n;
  width = RunnableScanWidth(width);
  // Lines are short: one pass for both bytes beats two memchr calls.
#ifdef ORVELLA_AVX2
  if (width == kScanAvx2 && n >= 32) return Avx2FindLineEnd(base, from, n);
#endif
#ifdef ORVELLA_SSE2
  if (width >= kScanSse2 && n >= 16) return Sse2FindLineEnd(base, from, n);
#endif
  const char* lf = static_cast<const char*>(std::memchr(base + from, '\n', n - from));
  const std::size_t limit = lf ? static_cast<std::size_t>(lf - base) : n;
  const char* cr = static_cast<const char*>(std::memchr(base + from, '\r', limit - from));
  return cr ? static_cast<std::size_t>(cr - base) : limit;
}

std::size_t LastLineEnd(std::string_view text, std::size_t from, std::size_t to) {
  return LastLineEnd(text, from, to, gBestScanWidth);
}

std::size_t LastLineEnd(std::string_view text, std::size_t from, std::size_t to, TScanWidth width) {
  const char* base = text.data();
  const std::size_t near = to - std::min<std::size_t>(to - from, 64);
  const std::size_t t = PlainLastLineEnd(base, near, to);
  if (t != std::string_view::npos || near == from) return t;
  // Whole blocks back from near, then what is left before them.
  std::size_t rest = near;
  std::size_t found = SIZE_MAX;
  width = RunnableScanWidth(width);
#ifdef ORVELLA_AVX2
  if (width == kScanAvx2) found = Avx2FindLastLineEnd(base, from, &rest);
#endif
#ifdef ORVELLA_SSE2
  if (width == kScanSse2) found = Sse2FindLastLineEnd(base, from, &rest);
#endif
  return found != SIZE_MAX ? found : PlainLastLineEnd(base, from, rest);
}

std::string_view TakeLine(std::string_view block, std::string_view* line) {
  const std::size_t t = FindLineEnd(block, 0);
  *line = block.substr(0, t);
  if (t == block.size()) return {};
  return block.substr(PastLineEnd(block, t));
}

bool OpenLineReader(TLineReader& r, const TFileName& path, TLongLines longLines) {
  StartReader(r, longLines);
  if (!PlatOpenRead(path, &r.Handle, &r.ErrorText)) return Fail(r);
  r.ReadsAtOffsets = PlatCanReadAt(r.Handle);
  CheckLineReader(r);
  return true;
}

void OpenLineRange(TLineReader& r, TPlatHandle handle, std::int64_t begin, std::int64_t limit, TLongLines longLines) {
  StartReader(r, longLines);
  r.Handle = handle;
  r.OwnsHandle = false;
  r.ReadsAtOffsets = true;
  r.Limit = limit;
  if (begin <= 0) return;
  // The byte before the stretch tells whether a line starts at its first:
  // read from it as a piece of the line that holds it. A line end there
  // makes an empty piece, and the stretch's own lines follow.
  r.BufferAt = begin - 1;
  r.InPiece = TBlockKind::Skipped;
  CheckLineReader(r);
}

bool ReadBlock(TLineReader& r, TBlock* block) {
  CheckLineReader(r);
  if (r.Failed) return false;
  // A long line taken whole gives its memory back before the next block.
  if (!r.Gathered.empty()) std::string().swap(r.Gathered);
  if (r.InPiece != TBlockKind::Lines) return ReadPiece(r, block);
  if (!ReadLines(r, block)) return false;
  if (block->Kind == TBlockKind::LinePiece && r.LongLines == TLongLines::Whole) return GatherLongLine(r, block);
  return true;
}

bool ReadLine(TLineReader& r, std::string_view* line) {
  ORVELLA_INVARIANT(r.LongLines == TLongLines::Whole);
  if (r.Pending.empty()) {
    TBlock block;
    do {
      if (!ReadBlock(r, &block)) return false;
    } while (block.Kind == TBlockKind::Skipped);
    r.Pending = block.Text;
  }
  r.Pending = TakeLine(r.Pending, line);
  return true;
}

TReadSeam::TReadSeam(TReadFunction read, std::size_t bufferSize)
    : SavedRead(gSeamRead), SavedBufferSize(gSeamBufferSize) {
  if (read) gSeamRead = read;
  if (bufferSize) gSeamBufferSize = bufferSize;
}

TReadSeam::~TReadSeam() {
  gSeamRead = SavedRead;
  gSeamBufferSize = SavedBufferSize;
}

std::int64_t ReadSoFar(const TLineReader& r) { return OffsetOf(r, r.End); }

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
  const TPlatHandle h = std::exchange(r.Handle, NoPlatHandle);
  if (h == NoPlatHandle || !r.OwnsHandle) return true;
  return PlatClose(h, &r.ErrorText) || Fail(r);
}
