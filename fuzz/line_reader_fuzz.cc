// The buffered line reader against the plain line rule, with any buffer
// size, reads cut short anywhere, and a read error at any point: by lines,
// by blocks with long lines gathered, by blocks and pieces of long lines, at
// the handle's position (as from a pipe), and as stretches of the file read
// one after another (as the parallel scan splits it); and the flat-file
// reader's one value per line on top of it.
// Input: buffer size, read size limit, failing read (0: none), mode, then the file.
#include <cstddef>
#include <cstdint>

#include "flat_reader.h"
#include "fuzz_support.h"
#include "line_reader.h"
#include "line_split.h"
#include "text.h"

namespace {

std::size_t gReadLimit = 0;
int gReads = 0;
int gFailAt = 0;

bool ShortRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
               std::string* err) {
  if (++gReads == gFailAt) {
    *err = "injected read failure";
    return false;
  }
  return PlatRead(handle, offset, buffer, capacity < gReadLimit ? capacity : gReadLimit, got, err);
}

// The flat-file reader prints word 8 by blank and ":" of field 3 by ";" of
// every line, each on its own line.
void CheckFlatReader(std::string_view content, const std::string& path) {
  static const TWordCutter fields = WordCutterOf(CharSetOf(";")), words = WordCutterOf(CharSetOf(" :"));
  TFuzzSink sink;
  std::string error;
  const bool ok = PrintFlatFile(path, false, &error);
  FlushAll();
  std::string want;
  for (const std::string& line : SplitLines(content))
    want.append(TrimmedWordOf(TrimmedWordOf(line, fields, 3), words, 8)).append("\r\n");
  if (ok) {
    FUZZ_CHECK(sink.Text == want);
  } else {
    FUZZ_CHECK(error == "injected read failure");
    FUZZ_CHECK(want.compare(0, sink.Text.size(), sink.Text) == 0);
  }
  sink.Drain();
}

// The file cut into stretches at points from the input, each read by its
// own reader in turn: together they give every line once, in order.
void CheckStretches(std::string_view content, const std::string& path, std::size_t bufferSize, unsigned cuts) {
  std::vector<std::int64_t> starts{0};
  const std::int64_t size = static_cast<std::int64_t>(content.size());
  for (unsigned k = 1; k <= cuts % 5; ++k) starts.push_back(size * k / (cuts % 5 + 1) + (cuts & 1));
  const TReadSeam seam(ShortRead, bufferSize);
  std::vector<std::string> got;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    TPlatHandle handle;
    std::string err;
    FUZZ_CHECK(PlatOpenRead(path, &handle, &err));
    TLineReader r;
    const std::int64_t limit = i + 1 < starts.size() ? starts[i + 1] : kNoLimit;
    OpenLineRange(r, handle, starts[i], limit, TLongLines::Whole);
    std::string_view line;
    while (ReadLine(r, &line)) got.emplace_back(line);
    CloseLineReader(r);
    PlatClose(handle, &err);
    if (r.Failed) {
      FUZZ_CHECK(r.ErrorText == "injected read failure");
      break;
    }
  }
  const std::vector<std::string> want = SplitLines(content);
  if (gFailAt != 0 && gReads >= gFailAt) {
    FUZZ_CHECK(got.size() <= want.size());
    for (std::size_t i = 0; i < got.size(); ++i) FUZZ_CHECK(got[i] == want[i]);
  } else {
    FUZZ_CHECK(got == want);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::size_t bufferSize = 1 + data[0] % 64;
  gReadLimit = 1 + data[1] % 80;
  gFailAt = data[2] % 16;
  gReads = 0;
  const bool byBlocks = data[3] & 1;
  std::string_view content(reinterpret_cast<const char*>(data + 4), size - 4);
  const TFuzzFile file(content, "lines.txt");
  const std::string& path = file.Path;
  if (data[3] & 2) {
    // The flat-file reader opens its own reader: lines that outgrow the
    // small buffer take its long-line path.
    const TReadSeam seam(ShortRead, bufferSize);
    CheckFlatReader(content, path);
    return 0;
  }

  if (data[3] & 4) {
    CheckStretches(content, path, bufferSize, data[3] >> 3);
    return 0;
  }

  const bool inPieces = data[3] & 16;
  TLineReader r;
  FUZZ_CHECK(OpenLineReader(r, path, inPieces ? TLongLines::InPieces : TLongLines::Whole));
  r.Buffer.resize(bufferSize);
  // As from a pipe: nothing is read twice.
  if (data[3] & 8) r.ReadsAtOffsets = false;
  r.Read = ShortRead;
  std::vector<std::string> got;
  std::string_view line;
  if (inPieces || byBlocks) {
    // Every block stands at its offset; a long line's pieces make it up,
    // or it comes gathered, alone and without its terminator.
    TBlock block;
    std::string joined;
    bool passing = false;
    while (ReadBlock(r, &block)) {
      FUZZ_CHECK(content.substr(static_cast<std::size_t>(block.At), block.Text.size()) == block.Text);
      FUZZ_CHECK(block.Kind != TBlockKind::Skipped);
      if (block.Kind == TBlockKind::LinePiece) {
        joined = passing ? joined + std::string(block.Text) : std::string(block.Text);
        passing = !block.LineEnds;
        if (block.LineEnds) got.push_back(joined);
        continue;
      }
      FUZZ_CHECK(!passing && !block.Text.empty());
      for (std::string_view rest = block.Text; !rest.empty(); got.emplace_back(line)) rest = TakeLine(rest, &line);
    }
  } else {
    while (ReadLine(r, &line)) got.emplace_back(line);
  }
  FUZZ_CHECK(CloseLineReader(r) || r.Failed);

  const std::vector<std::string> want = SplitLines(content);
  if (r.Failed) {
    FUZZ_CHECK(r.ErrorText == "injected read failure");
    FUZZ_CHECK(got.size() <= want.size());
    for (std::size_t i = 0; i < got.size(); ++i) FUZZ_CHECK(got[i] == want[i]);
  } else {
    FUZZ_CHECK(gFailAt == 0 || gReads < gFailAt);
    FUZZ_CHECK(got == want);
  }
  return 0;
}
