// The buffered line reader against the plain line rule, with any buffer
// size, reads cut short anywhere, and a read error at any point; and the
// flat-file reader's one value per line on top of it.
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

bool ShortRead(TPlatHandle handle, char* buffer, std::size_t capacity, std::size_t* got, std::string* err) {
  if (++gReads == gFailAt) {
    *err = "injected read failure";
    return false;
  }
  return PlatRead(handle, buffer, capacity < gReadLimit ? capacity : gReadLimit, got, err);
}

// The flat-file reader prints word 8 by blank and ":" of field 3 by ";" of
// every line, each on its own line.
void CheckFlatReader(std::string_view content, const std::string& path) {
  static const TCharSet fields = CharSetOf(";"), words = CharSetOf(" :");
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
    // The flat-file reader keeps its own buffer; only the reads are cut short.
    LineReaderRead = ShortRead;
    CheckFlatReader(content, path);
    LineReaderRead = PlatRead;
    return 0;
  }

  TLineReader r;
  FUZZ_CHECK(OpenLineReader(r, path));
  r.Buffer.resize(bufferSize);
  LineReaderRead = ShortRead;
  std::vector<std::string> got;
  std::string_view line;
  if (byBlocks) {
    std::string_view block;
    while (ReadLineBlock(r, &block)) {
      FUZZ_CHECK(!block.empty());
      // Only the file's last line may come without its terminator.
      std::size_t end = FindLineEnd(block, 0);
      while (end < block.size()) {
        std::string_view rest = TakeLine(block, &line);
        got.emplace_back(line);
        block = rest;
        end = FindLineEnd(block, 0);
      }
      if (!block.empty()) {
        FUZZ_CHECK(!r.Failed);
        got.emplace_back(block);
        FUZZ_CHECK(!ReadLineBlock(r, &block));
        break;
      }
    }
  } else {
    while (ReadLine(r, &line)) got.emplace_back(line);
  }
  LineReaderRead = PlatRead;
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
