#include "flat_reader.h"

#include "channels.h"
#include "line_reader.h"
#include "text.h"

namespace {

const TCharSet kFieldSeparators = CharSetOf(";");
const TCharSet kWordSeparators = CharSetOf(" :");
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

}  // namespace

bool PrintFlatFile(const std::string& fileName, bool debug, std::string* err) {
  TChannel& out = Out();
  TLineReader reader;
  if (!OpenLineReader(reader, fileName)) {
    *err = reader.ErrorText;
    return false;
  }
  std::string_view block;
  while (ReadLineBlock(reader, &block)) {
    while (!block.empty()) {
      std::string_view line;
      block = TakeLine(block, &line);
      std::string_view field = TrimmedWordOf(line, kFieldSeparators, kFieldNumber);
      std::string_view word = TrimmedWordOf(field, kWordSeparators, kWordNumber);
      if (debug)
        PrintBreakdown(out, line, field, word);
      else
        WriteLine(out, word);
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
