#include "flat_reader.h"

#include <cstring>

#include "channels.h"
#include "line_reader.h"
#include "text.h"

namespace {

const TCharSet kFieldSeparators = CharSetOf(";");
const TCharSet kWordSeparators = CharSetOf(" :");
// The same sets made ready for cutting every line of the file.
const TWordCutter kFieldCutter = WordCutterOf(kFieldSeparators);
const TWordCutter kWordCutter = WordCutterOf(kWordSeparators);
constexpr int kFieldNumber = 3;
constexpr int kWordNumber = 8;
constexpr int kBreakdownWords = 9;

void PrintBreakdown(TChannel& out, std::string_view line, std::string_view field, std::string_view word) {
  Write(out, "Original   = ");
  WriteLine(out, line);
  Write(out, "Parse1     = ");
  WriteLine(out, field);
  Write(out, "Parse2     = ");
  WriteLine(out, word);
  WriteLine(out, "------");
  for (int i = 1; i <= kBreakdownWords; ++i) {
    Write(out, "Parse1 - ");
    Write(out, std::to_string(i));
    Write(out, " = ");
    WriteLine(out, TrimmedWordOf(field, kWordSeparators, i));
  }
  WriteLine(out, "------");
  WriteLineEnd(out);
}

// Field kFieldNumber by ";" of a line longer than the buffer, gathered
// while its pieces pass: nothing else of the line is kept.
bool FieldOfLongLine(TLineReader& r, std::string_view piece, std::string* field) {
  int words = 0;        // words begun so far
  bool inWord = false;  // the byte before the piece belongs to a word
  bool last = false;
  for (;;) {
    std::size_t i = 0;
    while (i < piece.size() && words <= kFieldNumber) {
      if (!inWord) {
        if (piece[i] == ';') {
          ++i;
          continue;
        }
        inWord = true;
        ++words;
      }
      const void* end = std::memchr(piece.data() + i, ';', piece.size() - i);
      const std::size_t stop =
          end ? static_cast<std::size_t>(static_cast<const char*>(end) - piece.data()) : piece.size();
      if (words == kFieldNumber) field->append(piece.substr(i, stop - i));
      inWord = end == nullptr;
      i = stop;
    }
    if (last) return true;
    if (!ReadLongLinePiece(r, &piece, &last)) return !r.Failed;
  }
}

void PrintLine(TChannel& out, std::string_view line, bool debug) {
  std::string_view field = TrimmedWordOf(line, kFieldCutter, kFieldNumber);
  std::string_view word = TrimmedWordOf(field, kWordCutter, kWordNumber);
  if (debug)
    PrintBreakdown(out, line, field, word);
  else
    WriteLine(out, word);
}

// A line longer than the buffer: with debug it is shown whole, so it is
// taken whole; otherwise only its field is.
bool PrintLongLine(TChannel& out, TLineReader& reader, std::string_view piece, bool debug) {
  if (debug) {
    std::string_view line;
    if (!ReadLongLineWhole(reader, &line)) return false;
    PrintLine(out, line, true);
    return true;
  }
  std::string field;
  if (!FieldOfLongLine(reader, piece, &field)) return false;
  WriteLine(out, TrimmedWordOf(Trim(field), kWordCutter, kWordNumber));
  return true;
}

}  // namespace

bool PrintFlatFile(const TFileName& fileName, bool debug, std::string* err) {
  TChannel& out = Out();
  TLineReader reader;
  if (!OpenLineReader(reader, fileName)) {
    *err = reader.ErrorText;
    return false;
  }
  // Only the breakdown shows a long line whole.
  reader.GathersLongLines = debug;
  std::string_view block;
  TBlockKind kind;
  while (ReadBlockOrPiece(reader, &block, &kind)) {
    if (kind == TBlockKind::LongLine) {
      if (!PrintLongLine(out, reader, block, debug)) break;
    } else {
      while (!block.empty()) {
        std::string_view line;
        block = TakeLine(block, &line);
        PrintLine(out, line, debug);
      }
    }
    // A closed pipe or a full device ends the run like a read error.
    if (out.Failed) break;
  }
  if (!reader.Failed && !out.Failed) Flush(out);
  if (reader.Failed || out.Failed) {
    *err = reader.Failed ? reader.ErrorText : out.ErrorText;
    CloseLineReader(reader);
    return false;
  }
  if (!CloseLineReader(reader)) {
    *err = reader.ErrorText;
    return false;
  }
  return true;
}
