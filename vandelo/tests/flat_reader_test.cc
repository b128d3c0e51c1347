#include "flat_reader.h"

#include <gtest/gtest.h>

#include "line_reader.h"
#include "output_capture.h"
#include "test_files.h"

namespace {

// With a small buffer most lines are longer than it: the field is then cut
// as the pieces pass, and must come out the same.
std::string Plain(const std::string& content, bool debug = false, std::size_t bufferSize = kReadBufferSize) {
  TOutputCapture capture;
  TScratchFile f(content, "flat.txt");
  std::string err;
  const TReadSeam buffer(nullptr, bufferSize);
  EXPECT_TRUE(PrintFlatFile(f.Name(), debug, &err)) << err;
  return capture.Get();
}

const std::size_t kBufferSizes[] = {kReadBufferSize, 5};

const std::string kNumbers = "a;b;one two:three four five:six seven eight nine";

}  // namespace

TEST(FlatReader, OneOutputLinePerInputLine) {
  struct {
    const char* name;
    std::string content;
    std::string want;
  } cases[] = {
      {"empty file", "", ""},
      {"worked example", kNumbers + "\r\n", "eight\r\n"},
      {"no terminator on last line", kNumbers, "eight\r\n"},
      {"short and blank lines", "x;y\r\n\r\n;;;\r\n" + kNumbers + "\n", "\r\n\r\n\r\neight\r\n"},
      {"leading semicolon", ";" + kNumbers + "\r", "eight\r\n"},
      {"empty field collapses", "a;;b;1 2 3 4 5 6 7 X\n", "X\r\n"},
      {"clock counts as three words", "a;b;d 10:20:30 w5 w6 w7 hit\n", "hit\r\n"},
      {"tabs around field trimmed", "a;b;\t1 2 3 4 5 6 7 T\t ;c\n", "T\r\n"},
      {"control byte and blank trimmed", "a;b;\x01 1 2 3 4 5 6 7 C;d\n", "C\r\n"},
      {"field after many separators", ";;;;;;a;;;;;;b;;;;;;1 2 3 4 5 6 7 S;;\n", "S\r\n"},
      {"tab inside is not a separator", "a;b;1 2 3 4 5 6 7\tx 8\n", "8\r\n"},
      {"ctrl-z mid file", "a;b;1 2 3 4 5 6 7 A\n\x1A\na;b;1 2 3 4 5 6 7 B\n", "A\r\n\r\nB\r\n"},
      {"lone CR ends", "a;b;1 2 3 4 5 6 7 A\ra;b;1 2 3 4 5 6 7 B", "A\r\nB\r\n"},
  };
  for (const auto& c : cases)
    for (std::size_t bufferSize : kBufferSizes) {
      SCOPED_TRACE(::testing::Message() << c.name << ", buffer " << bufferSize);
      EXPECT_EQ(Plain(c.content, false, bufferSize), c.want);
    }
}

TEST(FlatReader, LongLineIsReadWhole) {
  std::string big(1 << 20, 'z');
  EXPECT_EQ(Plain("a;b;1 2 3 4 5 6 7 " + big + "\r\nnext\r\n"), big + "\r\n\r\n");
}

TEST(FlatReader, DebugBreakdown) {
  std::string want = "Original   = " + kNumbers +
                     "\r\nParse1     = one two:three four five:six seven eight nine\r\n"
                     "Parse2     = eight\r\n------\r\n"
                     "Parse1 - 1 = one\r\nParse1 - 2 = two\r\nParse1 - 3 = three\r\nParse1 - 4 = four\r\n"
                     "Parse1 - 5 = five\r\nParse1 - 6 = six\r\nParse1 - 7 = seven\r\nParse1 - 8 = eight\r\n"
                     "Parse1 - 9 = nine\r\n------\r\n\r\n";
  for (std::size_t bufferSize : kBufferSizes) EXPECT_EQ(Plain(kNumbers + "\n", true, bufferSize), want);
  std::string blank = "Original   = \r\nParse1     = \r\nParse2     = \r\n------\r\n";
  for (int i = 1; i <= 9; ++i) blank += "Parse1 - " + std::to_string(i) + " = \r\n";
  blank += "------\r\n\r\n";
  EXPECT_EQ(Plain("\n", true), blank);
}

TEST(FlatReader, MissingFileIsAnError) {
  TOutputCapture capture;
  std::string err;
  EXPECT_FALSE(PrintFlatFile("/no/such/dir/file.txt", false, &err));
  EXPECT_FALSE(err.empty());
}
