// The one reader of text files: read-only with full sharing, a 1 MiB buffer,
// lines ending at CR LF, LF or a lone CR (also when CR LF is split between
// two reads). Ctrl-Z and NUL are data; a line may be of any length; a last
// line without terminator is still a line.
//
// The reader hands out blocks, never more than one buffer's worth of reading
// at a time: runs of whole lines, or, for a line longer than the buffer, that
// line piece by piece, so that nobody needs to hold a line whole. A caller
// that does need whole lines opens the reader for them, and a long line then
// comes gathered from its pieces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "paged_memory.h"
#include "platform/platform.h"
#include "scan_width.h"

// A buffer of 1 MiB: on a file in the system's cache, its copy into the
// buffer costs the scan a tenth less time than reads of 64 KiB. How long a
// line must be to come in pieces follows the size; nothing a program shows
// does.
constexpr std::size_t kReadBufferSize = std::size_t{1} << 20;

// What a read of short lines asks for, with a buffer of the size: a
// quarter of it. Read and scanned in steps that the processor's caches
// hold, a file of short lines took an eighth less time than in reads of
// 1 MiB.
constexpr std::size_t LinesReadSize(std::size_t bufferSize) { return (bufferSize + 3) / 4; }

constexpr std::int64_t kNoLimit = INT64_MAX;

// The read under every line reader, PlatRead unless a TReadSeam gives
// another: at the offset, or (offset < 0) at the handle's own position.
typedef bool (*TReadFunction)(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity,
                              std::size_t* got, std::string* err);

enum class TBlockKind {
  Lines,      // whole lines, each with its terminator; only the input's last line may lack one
  LinePiece,  // a piece of a line longer than the buffer, without its terminator
  Skipped,    // a piece of a line that began before the stretch being read: not the stretch's own
};

struct TBlock {
  TBlockKind Kind = TBlockKind::Lines;
  std::string_view Text;  // lives until the next read
  std::int64_t At = 0;    // the input's offset of Text's first byte
  bool LineEnds = false;  // a piece that ends its line: its terminator or the input's end follows
};

// How a caller takes lines longer than the buffer.
enum class TLongLines {
  InPieces,  // piece by piece, as they pass
  Whole,     // gathered, each as a Lines block of its own without its terminator
};

// Invariants (CheckLineReader tests them in debug builds at every entry):
// - Buffer[i] holds the input's byte at offset BufferAt + i, for i < End;
//   [Start, End) is read but not yet handed out. A regular file is read at
//   BufferAt + End (ReadsAtOffsets), anything else at the handle's position.
// - When all of it is handed out, the buffer is emptied and BufferAt moves
//   on by End. An unfinished line is moved to the front, a short one with
//   the fewer than 64 bytes before it that put BufferAt at a multiple of 64
//   where the buffer holds them (BufferAt moves on by what is dropped), and
//   the read goes on behind it.
// - SkipLF: what was handed out ended in a CR that was the buffer's last
//   byte (or a stretch starts right after a CR), so the LF of a CR LF may be
//   the next byte to come; so all of the buffer is handed out, unless the
//   stretch has ended. The next block drops that LF and clears it.
// - Limit: a stretch hands out only the lines that start before it; the last
//   of them may run past it. AtLimit is set once the next line would start
//   at or after Limit: the stretch has ended, whatever is left in the file.
// - InPiece: a line that filled the buffer unfinished is being handed out in
//   pieces (Skipped ones when it began before the stretch); each piece is a
//   fresh read that starts at Buffer[0]. It ends with the piece that holds
//   its terminator or meets the input's end; Start then stands after that
//   terminator, in the same buffer.
// - Failed stays set: every read after a failure returns false.
struct TLineReader {
  TPlatHandle Handle = NoPlatHandle;
  TReadFunction Read = PlatRead;
  bool OwnsHandle = true;
  bool ReadsAtOffsets = false;  // a regular file
  TLongLines LongLines = TLongLines::InPieces;
  std::int64_t BufferAt = 0;      // the input's offset of Buffer[0]
  std::int64_t Limit = kNoLimit;  // lines starting here or later are not handed out
  // Unset until read into: a file of short lines never touches most of it.
  std::vector<char, TPaged<char, false, TNewElements::Unset>> Buffer;
  std::size_t Start = 0, End = 0;  // the part of Buffer not yet handed out
  bool AtEof = false;              // a read found nothing more; Buffer may still hold lines
  bool AtLimit = false;
  bool SkipLF = false;
  TBlockKind InPiece = TBlockKind::Lines;  // LinePiece or Skipped while a long line passes
  std::string Gathered;                    // a long line taken whole (TLongLines::Whole)
  std::string_view Pending;                // the rest of the current block, for ReadLine
  bool Failed = false;
  std::string ErrorText;
};

// False with r.ErrorText set when the file cannot be opened.
bool OpenLineReader(TLineReader& r, const TFileName& path, TLongLines longLines = TLongLines::InPieces);

// A reader of one stretch of a regular file, on a handle that reads at
// offsets: the lines that start at or after begin and before limit; the
// last of them is read to its end, past limit if need be. The rest of a
// line that began before begin comes first, as Skipped pieces. The handle
// stays the caller's.
void OpenLineRange(TLineReader& r, TPlatHandle handle, std::int64_t begin, std::int64_t limit,
                   TLongLines longLines = TLongLines::InPieces);

// The next block. False at the end, or on a read error (r.Failed,
// r.ErrorText).
bool ReadBlock(TLineReader& r, TBlock* block);

// The next line without its terminator, on a reader opened for whole
// lines. False at the end or on an error.
bool ReadLine(TLineReader& r, std::string_view* line);

// How far the input has been read: the offset after the last byte read.
std::int64_t ReadSoFar(const TLineReader& r);

// Splits the first line off a block: *line without terminator, the rest
// returned. Expects a non-empty block.
std::string_view TakeLine(std::string_view block, std::string_view* line);

inline bool IsLineEndByte(char c) { return c == '\r' || c == '\n'; }

// Offset of the first CR or LF at or after from, or the size when none.
std::size_t FindLineEnd(std::string_view text, std::size_t from);

// The last CR or LF in [from, to) of the text, or npos. Searched from the
// back, the last bytes one at a time: in a full buffer the last line end is
// a few bytes from its end, and before a marker its line's start is near.
// Further back it goes a block at a time, as a buffer that holds part of a
// long line has none.
std::size_t LastLineEnd(std::string_view text, std::size_t from, std::size_t to);

// Just past the line end at t (CR LF counts as one); the size when t is at
// or past it. Inline: the scan calls it on every entry line.
inline std::size_t PastLineEnd(std::string_view text, std::size_t t) {
  if (t >= text.size()) return text.size();
  if (text[t] == '\r' && t + 1 < text.size() && text[t + 1] == '\n') return t + 2;
  return t + 1;
}

bool FileSizeOf(TLineReader& r, std::int64_t* size);
// The size of a regular file now, or -1 (a pipe, or no answer); unlike
// FileSizeOf, no failure of the reader.
std::int64_t SizeNow(const TLineReader& r);
bool FileModifiedOf(TLineReader& r, TLocalTime* when);
// False with r.ErrorText on a failure while closing.
bool CloseLineReader(TLineReader& r);

// For tests: the line-end searches with a given scan width at most, so that
// every path can be held against the others.
std::size_t FindLineEnd(std::string_view text, std::size_t from, TScanWidth width);
std::size_t LastLineEnd(std::string_view text, std::size_t from, std::size_t to, TScanWidth width);

// For tests: while it lives, every reader that opens reads through read
// (unless null) with a buffer of bufferSize bytes (unless 0), so that
// faults reach the readers deep in a program, and lines become long sooner.
struct TReadSeam {
  TReadSeam(TReadFunction read, std::size_t bufferSize);
  ~TReadSeam();
  TReadSeam(const TReadSeam&) = delete;
  TReadSeam& operator=(const TReadSeam&) = delete;
  TReadFunction SavedRead;
  std::size_t SavedBufferSize;
};
