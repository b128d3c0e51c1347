// The one reader of text files: read-only with full sharing, 64 KiB reads,
// lines ending at CR LF, LF or a lone CR (also when CR LF is split between
// two reads). Ctrl-Z and NUL are data; a line may be of any length; a last
// line without terminator is still a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "scan_width.h"

constexpr std::size_t kReadBufferSize = 65536;

// The read under every line reader: PlatRead, unless a test puts a fault here.
typedef bool (*TReadFunction)(TPlatHandle handle, char* buffer, std::size_t capacity, std::size_t* got,
                              std::string* err);
extern TReadFunction LineReaderRead;

struct TLineReader {
  TPlatHandle Handle = NoPlatHandle;
  std::vector<char> Buffer;
  std::size_t Start = 0, End = 0;  // unread part of Buffer
  bool AtEof = false;
  bool SkipLF = false;       // the last block ended in CR: an LF next belongs to it
  std::string Long;          // a line that outgrew the buffer
  std::string_view Pending;  // rest of the current block, for ReadLine
  bool Failed = false;
  std::string ErrorText;
};

// False with r.ErrorText set when the file cannot be opened.
bool OpenLineReader(TLineReader& r, const std::string& path);

// The next run of whole lines, each with its terminator (only the file's
// last line may lack one). The view lives until the next call. False at the
// end of the file, or on a read error (r.Failed, r.ErrorText).
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
bool FileModifiedOf(TLineReader& r, TLocalTime* when);
// False with r.ErrorText on a failure while closing.
bool CloseLineReader(TLineReader& r);
