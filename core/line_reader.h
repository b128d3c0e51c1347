// The one reader of text files: read-only with full sharing, 64 KiB reads,
// lines ending at CR LF, LF or a lone CR (also when CR LF is split between
// two reads). Ctrl-Z and NUL are data; a line may be of any length; a last
// line without terminator is still a line.
//
// A line longer than the buffer is never gathered unasked: the caller gets
// it in pieces and takes it whole only when it needs it. A regular file is
// read at offsets, so such a line is then read again from its start into
// exactly its size; an input that cannot be read again (a pipe) keeps its
// pieces as they pass.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "scan_width.h"

constexpr std::size_t kReadBufferSize = 65536;
constexpr std::int64_t kNoLimit = INT64_MAX;

// The read under every line reader: at the offset, or (offset < 0) at the
// handle's own position. ReadFileAt, unless a test puts a fault here.
typedef bool (*TReadFunction)(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity,
                              std::size_t* got, std::string* err);
bool ReadFileAt(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                std::string* err);
extern TReadFunction LineReaderRead;
// The size of the buffer a reader opens with: kReadBufferSize, unless a test
// makes lines "long" sooner.
extern std::size_t LineReaderBufferSize;

// Asked before every read when set: true ends the reading as a failure with
// Cancelled set, for a reader whose work nobody wants any more.
struct TReadCancel {
  bool (*Asks)(const void* context) = nullptr;
  const void* Context = nullptr;
};

// The block of a line taken whole, given back when let go (line_reader.cc).
struct TWholeLineFree {
  std::size_t Size = 0;
  void operator()(char* block) const;
};
typedef std::unique_ptr<char[], TWholeLineFree> TWholeLine;

// How the fields hang together:
// - Buffer[i] holds the file's byte at offset BufferAt + i, for i < End;
//   [Start, End) is read but not yet handed out. A regular file is read at
//   BufferAt + End (ReadsAtOffsets), anything else at the handle's position.
// - When all of it is handed out, the buffer is emptied and BufferAt moves
//   on by End. An unfinished line is moved to the front (BufferAt moves on
//   by Start) and the read goes on behind it.
// - SkipLF: what was handed out or stepped over ended in a CR that was the
//   buffer's last byte (or a range starts right after a CR), so the LF of a
//   CR LF may be the next byte to come. It outlives the refill on purpose;
//   the next block drops that LF and clears it.
// - Limit: a range hands out only the lines that start before it; the last
//   of them may run past it. AtLimit is set once the next line would start
//   at or after Limit: the range has ended, whatever is left in the file.
// - A line that fills the whole buffer unfinished is a long line: InLongLine
//   from its first piece on. LongStart is its offset, LongSize the bytes of
//   it passed so far; each piece is a fresh read that starts at Buffer[0].
//   LongEnded comes with the piece that holds its terminator (or the end of
//   the file); Start then stands after that terminator, in the same buffer.
//   Taken whole, it is read again from LongStart into Held (at offsets) or
//   is Gathered as it passes (a pipe, when GathersLongLines); both are let
//   go at the next block, or at DropLongLine.
// - Cancel is asked before every read; Cancelled tells a failure it caused.
// - Failed stays set: every read after a failure returns false.
struct TLineReader {
  TPlatHandle Handle = NoPlatHandle;
  bool OwnsHandle = true;
  bool ReadsAtOffsets = false;    // a regular file
  std::int64_t BufferAt = 0;      // file offset of Buffer[0]
  std::int64_t Limit = kNoLimit;  // lines starting here or later are not handed out
  std::vector<char> Buffer;
  std::size_t Start = 0, End = 0;  // unread part of Buffer
  bool AtEof = false;              // a read found nothing more; Buffer may still hold lines
  bool AtLimit = false;
  bool SkipLF = false;  // the last read ended in CR: an LF next belongs to it
  // The line that outgrew the buffer, while it is read.
  bool InLongLine = false;
  bool LongEnded = false;
  std::int64_t LongStart = 0;  // offset of its first byte
  std::int64_t LongSize = 0;   // its bytes passed so far
  std::string Gathered;        // its bytes, where they cannot be read again
  // Whether the caller may take a long line whole. Only a reader that
  // cannot read again (a pipe) needs to know: it gathers the pieces only
  // then. Set right after opening.
  bool GathersLongLines = true;
  TWholeLine Held;           // the long line taken whole
  std::string_view Pending;  // rest of the current block, for ReadLine
  TReadCancel Cancel;
  bool Failed = false;
  bool Cancelled = false;  // Failed because Cancel asked it; no ErrorText
  std::string ErrorText;
};

// False with r.ErrorText set when the file cannot be opened.
bool OpenLineReader(TLineReader& r, const TFileName& path);

// A reader of one stretch of a regular file, on a handle that reads at
// offsets: the lines that start at or after begin and before limit. The
// last of them is read to its end, past limit if need be. The handle stays
// the caller's.
bool OpenLineRange(TLineReader& r, TPlatHandle handle, std::int64_t begin, std::int64_t limit,
                   TReadCancel cancel = TReadCancel());

enum class TBlockKind { Lines, LongLine };

// The next run of whole lines, each with its terminator (only the file's
// last line may lack one); the view lives until the next call. A line
// longer than the buffer comes as kind LongLine instead: the block is its
// first piece, and ReadLongLinePiece and ReadLongLineWhole go on with it.
// False at the end, or on a read error (r.Failed, r.ErrorText).
bool ReadBlockOrPiece(TLineReader& r, std::string_view* block, TBlockKind* kind);

// The next piece of the long line; *last is set with the piece that ends it
// (its terminator left out). False when the line has ended, or on an error.
bool ReadLongLinePiece(TLineReader& r, std::string_view* piece, bool* last);

// The long line whole, without its terminator; reading goes on after it.
// The view lives until the next read. Fails on a pipe reader that was told
// not to gather it.
bool ReadLongLineWhole(TLineReader& r, std::string_view* line);

// Lets go of the long line taken whole (as the next read would), so that its
// memory is back now.
void DropLongLine(TLineReader& r);

// As ReadBlockOrPiece, but a long line comes whole, alone and without its
// terminator.
bool ReadLineBlock(TLineReader& r, std::string_view* block);

// The next line without its terminator. False at the end or on an error.
bool ReadLine(TLineReader& r, std::string_view* line);

// Splits the first line off a block: *line without terminator, the rest
// returned. Expects a non-empty block.
std::string_view TakeLine(std::string_view block, std::string_view* line);

// Offset of the first CR or LF at or after from, or the size when none.
std::size_t FindLineEnd(std::string_view text, std::size_t from);
// The same with a given scan width at most (for tests of every path).
std::size_t FindLineEnd(std::string_view text, std::size_t from, TScanWidth width);

// Just past the line end at t (CR LF counts as one); the size when t is at
// or past it.
std::size_t PastLineEnd(std::string_view text, std::size_t t);

bool FileSizeOf(TLineReader& r, std::int64_t* size);
// The size of a regular file now, or -1 (a pipe, or no answer); unlike
// FileSizeOf, no failure of the reader.
std::int64_t SizeNow(const TLineReader& r);
bool FileModifiedOf(TLineReader& r, TLocalTime* when);
// False with r.ErrorText on a failure while closing.
bool CloseLineReader(TLineReader& r);
