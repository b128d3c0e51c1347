#include "flat_reader.h"

#include <new>

#include "channels.h"
#include "line_reader.h"
#include "piece_cuts.h"
#include "text.h"

namespace {

// The field and word separators, made ready for cutting every line of the file.
const TWordCutter kFieldCutter = WordCutterOf(CharSetOf(";"));
const TWordCutter kWordCutter = WordCutterOf(CharSetOf(" :"));
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
    Write(out, "Parse1 - " + std::to_string(i) + " = ");
    WriteLine(out, TrimmedWordOf(field, kWordCutter, i));
  }
  WriteLine(out, "------");
  WriteLineEnd(out);
}

void PrintLine(TChannel& out, std::string_view line, bool debug) {
  std::string_view field = TrimmedWordOf(line, kFieldCutter, kFieldNumber);
  std::string_view word = TrimmedWordOf(field, kWordCutter, kWordNumber);
  if (debug)
    PrintBreakdown(out, line, field, word);
  else
    WriteLine(out, word);
}

// Every line's value, or its breakdown; ends at the file's end, a read
// error or output that cannot be written.
void PrintLines(TLineReader& reader, TChannel& out, bool debug) {
  TFieldCut longLine;
  bool inLongLine = false;
  TBlock block;
  while (!out.Failed && ReadBlock(reader, &block)) {
    if (block.Kind == TBlockKind::LinePiece) {
      if (!inLongLine) StartFieldCut(longLine, kFieldCutter, kFieldNumber, kWordCutter, kWordNumber);
      inLongLine = !block.LineEnds;
      FeedFieldCut(longLine, block.Text);
      if (block.LineEnds) WriteLine(out, Trim(longLine.Value));
      continue;
    }
    for (std::string_view rest = block.Text; !rest.empty();) {
      std::string_view line;
      rest = TakeLine(rest, &line);
      PrintLine(out, line, debug);
    }
  }
}

}  // namespace

bool PrintFlatFile(const TFileName& fileName, bool debug, std::string* err) {
  TChannel& out = Out();
  TLineReader reader;
  // Only the breakdown shows a line whole; otherwise a long line's value is
  // cut from its pieces as they pass.
  if (!OpenLineReader(reader, fileName, debug ? TLongLines::Whole : TLongLines::InPieces)) {
    *err = reader.ErrorText;
    return false;
  }
  try {
    PrintLines(reader, out, debug);
  } catch (const std::bad_alloc&) {
    CloseLineReader(reader);  // the file goes back before the failure is told
    throw;
  }
  // A closed pipe or a full device ends the run like a read error. The
  // first failure is the one told: the read's, the output's, or the close's.
  const bool ok = !reader.Failed && Flush(out);
  if (!ok) *err = reader.Failed ? reader.ErrorText : out.ErrorText;
  const bool closed = CloseLineReader(reader);
  if (ok && !closed) *err = reader.ErrorText;
  return ok && closed;
}
