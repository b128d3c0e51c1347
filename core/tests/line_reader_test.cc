#include "line_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_files.h"

namespace {

std::vector<std::string> ReadAll(const std::string& content) {
  TScratchFile f(content);
  TLineReader r;
  EXPECT_TRUE(OpenLineReader(r, f.Name())) << r.ErrorText;
  std::vector<std::string> lines;
  std::string_view line;
  while (ReadLine(r, &line)) lines.emplace_back(line);
  EXPECT_FALSE(r.Failed) << r.ErrorText;
  EXPECT_TRUE(CloseLineReader(r));
  return lines;
}

typedef std::vector<std::string> Lines;

}  // namespace

TEST(LineReader, LineEndsTable) {
  struct {
    std::string content;
    Lines want;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\rc", {"a", "b", "c"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"\n\r", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("x\x1Ay\0z\n", 6) + "after", {std::string("x\x1Ay\0z", 5), "after"}},
      {"\r\r\r", {"", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    EXPECT_EQ(ReadAll(c.content), c.want);
  }
}

TEST(LineReader, CrLfSplitAcrossReads) {
  std::string first(kReadBufferSize - 1, 'a');
  Lines got = ReadAll(first + "\r\nnext\r\n");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], first);
  EXPECT_EQ(got[1], "next");
}

TEST(LineReader, LinesLongerThanTheBuffer) {
  std::string huge(3 * kReadBufferSize + 17, 'q');
  Lines got = ReadAll("s\n" + huge + "\r\n" + huge + "\rt");
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0], "s");
  EXPECT_EQ(got[1], huge);
  EXPECT_EQ(got[2], huge);
  EXPECT_EQ(got[3], "t");
}

TEST(LineReader, LongLineEndingInSplitCrLf) {
  std::string huge(2 * kReadBufferSize - 1, 'w');
  Lines got = ReadAll(huge + "\r\nz");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].size(), huge.size());
  EXPECT_EQ(got[1], "z");
}

TEST(LineReader, LongLineWhoseTerminatorEndsARead) {
  // Found by fuzzing: a CR LF closing a read made the LF of an empty line
  // after it look like the CR LF's second half, and that line was lost.
  struct {
    std::string ending, after;
    Lines tail;
  } cases[] = {
      {"\r\n", "\nnext", {"", "next"}},
      {"\r\n", "\r\nnext", {"", "next"}},
      {"\n", "\nnext", {"", "next"}},
      {"\r", "\nnext", {"next"}},
      {"\r", "\rnext", {"", "next"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.ending + c.after));
    // The second read ends right after the ending.
    std::string huge(2 * kReadBufferSize - c.ending.size(), 'v');
    Lines want = {huge};
    want.insert(want.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(ReadAll(huge + c.ending + c.after), want);
  }
}

TEST(LineReader, ManyShortLinesAcrossManyReads) {
  std::string content;
  Lines want;
  for (int i = 0; i < 40000; ++i) {
    want.push_back(std::to_string(i));
    content += want.back() + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
  }
  EXPECT_EQ(ReadAll(content), want);
}

TEST(LineReader, BlocksHoldWholeLines) {
  std::string content;
  for (int i = 0; i < 20000; ++i) content += "line " + std::to_string(i) + "\r\n";
  TScratchFile f(content);
  TLineReader r;
  ASSERT_TRUE(OpenLineReader(r, f.Name()));
  std::string_view block;
  std::string joined;
  while (ReadLineBlock(r, &block)) {
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(block.back(), '\n');
    joined.append(block);
  }
  EXPECT_EQ(joined, content);
  std::int64_t size = 0;
  EXPECT_TRUE(FileSizeOf(r, &size));
  EXPECT_EQ(size, static_cast<std::int64_t>(content.size()));
  CloseLineReader(r);
}

TEST(LineReader, MissingFileFailsToOpen) {
  TLineReader r;
  EXPECT_FALSE(OpenLineReader(r, "/nonexistent/dir/file.txt"));
  EXPECT_FALSE(r.ErrorText.empty());
}
