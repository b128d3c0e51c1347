#include "line_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "read_fault.h"
#include "test_files.h"

namespace {

std::vector<std::string> ReadAll(const std::string& content) {
  TScratchFile f(content);
  TLineReader r;
  EXPECT_TRUE(OpenLineReader(r, f.Name(), TLongLines::Whole)) << r.ErrorText;
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

// The reads a reader made: the offset and the address read into.
std::vector<std::pair<std::int64_t, std::uintptr_t>> gReads;
bool RecordingRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
                   std::string* err) {
  gReads.emplace_back(offset, reinterpret_cast<std::uintptr_t>(buffer));
  return PlatRead(handle, offset, buffer, capacity, got, err);
}

// Short lines come whole, read by reads whose addresses stand in their cache
// lines as their offsets stand in the file's (after a stretch's first read,
// at an offset of its own), so that the system's copy goes line by line.
TEST(LineReader, BlocksHoldWholeLines) {
  std::string content;
  for (int i = 0; i < 200000; ++i) content += "line " + std::to_string(i) + "\n";
  TScratchFile f(content);
  for (const std::int64_t begin : {0, 1001}) {
    SCOPED_TRACE(begin);
    const TReadSeam seam(RecordingRead, 0);
    gReads.clear();
    TLineReader r;
    TPlatHandle handle = NoPlatHandle;
    std::string err;
    if (begin == 0) {
      ASSERT_TRUE(OpenLineReader(r, f.Name()));
    } else {
      ASSERT_TRUE(PlatOpenRead(f.Name(), &handle, &err)) << err;
      OpenLineRange(r, handle, begin, kNoLimit);
    }
    TBlock block;
    const std::size_t first = content.find('\n', static_cast<std::size_t>(begin) - 1) + 1;
    std::string joined;
    while (ReadBlock(r, &block)) {
      if (block.Kind == TBlockKind::Skipped) continue;
      ASSERT_EQ(block.Kind, TBlockKind::Lines);
      ASSERT_FALSE(block.Text.empty());
      EXPECT_EQ(block.Text.back(), '\n');
      EXPECT_EQ(block.At, static_cast<std::int64_t>(first + joined.size()));
      joined.append(block.Text);
    }
    EXPECT_EQ(joined, content.substr(first));
    std::int64_t size = 0;
    EXPECT_TRUE(FileSizeOf(r, &size));
    EXPECT_EQ(size, static_cast<std::int64_t>(content.size()));
    CloseLineReader(r);
    if (handle != NoPlatHandle) PlatClose(handle, &err);
    ASSERT_GT(gReads.size(), 8u);
    for (std::size_t i = 1; i < gReads.size(); ++i)
      EXPECT_EQ((gReads[i].second - static_cast<std::uintptr_t>(gReads[i].first)) % 64, 0u) << "read " << i;
  }
}

TEST(LineReader, MissingFileFailsToOpen) {
  TLineReader r;
  EXPECT_FALSE(OpenLineReader(r, "/nonexistent/dir/file.txt"));
  EXPECT_FALSE(r.ErrorText.empty());
}

namespace {

// The plain rule: the lines that start in [begin, limit), each whole, the
// last read past the limit.
Lines LinesStartingIn(const std::string& content, std::int64_t begin, std::int64_t limit) {
  Lines lines;
  for (std::size_t start = 0, i = 0; start < content.size(); start = i) {
    i = start;
    while (i < content.size() && content[i] != '\r' && content[i] != '\n') ++i;
    if (static_cast<std::int64_t>(start) >= begin && static_cast<std::int64_t>(start) < limit)
      lines.push_back(content.substr(start, i - start));
    i = PastLineEnd(content, i);
  }
  return lines;
}

// How a caller takes long lines: whole (ReadLine), or in pieces.
enum TTake { kWhole, kPieces };

// The lines a reader yields, taken the given way. Every block must stand
// at its offset in the content, and a piece must tell the end of its line.
Lines ReadThrough(TLineReader& r, TTake take, const std::string& content) {
  Lines got;
  std::string_view line;
  if (take == kWhole) {
    while (ReadLine(r, &line)) got.emplace_back(line);
    return got;
  }
  std::string joined;
  bool inPieces = false;
  TBlock block;
  while (ReadBlock(r, &block)) {
    EXPECT_EQ(content.substr(static_cast<std::size_t>(block.At), block.Text.size()), block.Text);
    if (block.Kind == TBlockKind::Skipped) continue;
    if (block.Kind == TBlockKind::Lines) {
      EXPECT_FALSE(inPieces);
      for (std::string_view rest = block.Text; !rest.empty(); got.emplace_back(line)) rest = TakeLine(rest, &line);
      continue;
    }
    joined = inPieces ? joined + std::string(block.Text) : std::string(block.Text);
    inPieces = !block.LineEnds;
    if (block.LineEnds) got.push_back(joined);
  }
  return got;
}

// Small contents with every kind of line end, and lines longer than the
// smaller buffers.
const std::string kContents[] = {
    "",           "a", "ab\r\ncd\ref\ngh", "\r\n\r\r\n\n\n\r", "abcdefgh\r\nijklmnop\rq\n", "x\r\n\r\nlonger line\r",
    "\n\rab\r\n",
};
const std::size_t kBufferSizes[] = {1, 2, 3, 7, 64};


// What a reader of the whole file (at offsets, or at the handle's position
// as from a pipe) or of a range yields: the lines of the plain rule, or with
// a failing read a part of them and the error. True when some reader came
// to the failing read.
bool CheckEveryReader(const std::string& content, std::size_t bufferSize, int failAt) {
  TScratchFile file(content, "range.txt");
  TPlatHandle handle;
  std::string err;
  EXPECT_TRUE(PlatOpenRead(file.Name(), &handle, &err)) << err;
  const TReadSeam buffer(nullptr, bufferSize);
  bool cameToIt = false;
  const auto check = [&](const Lines& want, TLineReader& r, TTake take) {
    const Lines got = ReadThrough(r, take, content);
    CloseLineReader(r);
    if (failAt == 0 || TReadFault::Reads < failAt) {
      ASSERT_FALSE(r.Failed) << r.ErrorText;
      ASSERT_EQ(got, want);
    } else {
      cameToIt = true;
      ASSERT_TRUE(r.Failed);
      ASSERT_EQ(r.ErrorText, "Input/output error");
      ASSERT_LE(got.size(), want.size());
      ASSERT_EQ(got, Lines(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(got.size())));
    }
  };
  const std::int64_t size = static_cast<std::int64_t>(content.size());
  for (int take = kWhole; take <= kPieces; ++take) {
    const TLongLines longLines = take == kWhole ? TLongLines::Whole : TLongLines::InPieces;
    for (bool atOffsets : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "whole file, take " << take << ", at offsets " << atOffsets);
      TReadFault fault(failAt);
      TLineReader r;
      EXPECT_TRUE(OpenLineReader(r, file.Name(), longLines));
      r.ReadsAtOffsets = atOffsets;
      check(LinesStartingIn(content, 0, kNoLimit), r, static_cast<TTake>(take));
      if (::testing::Test::HasFatalFailure()) return false;
    }
    for (std::int64_t begin = 0; begin <= size + 1; ++begin) {
      for (std::int64_t end = begin; end <= size + 2; ++end) {
        const std::int64_t limit = end == size + 2 ? kNoLimit : end;
        SCOPED_TRACE(::testing::Message() << "range " << begin << " to " << limit << ", take " << take);
        TReadFault fault(failAt);
        TLineReader r;
        OpenLineRange(r, handle, begin, limit, longLines);
        check(LinesStartingIn(content, begin, limit), r, static_cast<TTake>(take));
        if (::testing::Test::HasFatalFailure()) return false;
      }
    }
  }
  PlatClose(handle, &err);
  return cameToIt;
}

}  // namespace

// The cut at the limit and the skip to a line start at every edge: a CR LF
// split by the range's start, a start on the LF of a CR LF, in a long line.
TEST(LineReader, EveryRangeGivesTheLinesThatStartInIt) {
  for (const std::string& content : kContents)
    for (std::size_t bufferSize : kBufferSizes) {
      SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(content) << ", buffer " << bufferSize);
      CheckEveryReader(content, bufferSize, 0);
      ASSERT_FALSE(HasFatalFailure());
    }
}

// A failing read anywhere: in a long line, while skipping to a line start.
// The lines before it come, and the failure is told.
TEST(LineReader, AFailingReadAnywhereIsTold) {
  for (const std::string& content : kContents)
    for (std::size_t bufferSize : kBufferSizes) {
      bool cameToIt = true;
      for (int failAt = 1; cameToIt; ++failAt) {
        SCOPED_TRACE(::testing::Message() << ::testing::PrintToString(content) << ", buffer " << bufferSize << ", read "
                                          << failAt << " fails");
        cameToIt = CheckEveryReader(content, bufferSize, failAt);
        ASSERT_FALSE(HasFatalFailure());
      }
    }
}

// The first CR or LF at or after the start, and the last one before the
// end, for every start and end, lengths around the block sizes the
// searches work in, and every scan width.
TEST(FindLineEnd, FirstAndLastCrOrLfFromEveryOffset) {
  std::mt19937 next(7);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const std::uint32_t spread = round % 2 ? 60 : 400;
    for (std::uint32_t len = next() % (round % 2 ? 130 : 330); text.size() < len;) {
      std::uint32_t r = next() % spread;
      text += r == 0 ? '\r' : r == 1 ? '\n' : static_cast<char>(r == 2 ? '\x8D' : 'a' + r % 26);
    }
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      std::size_t want = from;
      while (want < text.size() && text[want] != '\r' && text[want] != '\n') ++want;
      if (want > text.size()) want = text.size();
      for (int width = kScanPlain; width <= gBestScanWidth; ++width)
        ASSERT_EQ(FindLineEnd(text, from, static_cast<TScanWidth>(width)), want)
            << text.size() << " from " << from << " width " << width;
      ASSERT_EQ(FindLineEnd(text, from), want);
    }
    for (std::size_t from = 0; from <= text.size(); from += 1 + next() % 8)
      for (std::size_t to = from; to <= text.size(); ++to) {
        const std::size_t last = std::string_view(text).substr(from, to - from).find_last_of("\r\n");
        const std::size_t want = last == std::string_view::npos ? last : from + last;
        for (int width = kScanPlain; width <= gBestScanWidth; ++width)
          ASSERT_EQ(LastLineEnd(text, from, to, static_cast<TScanWidth>(width)), want)
              << text.size() << " from " << from << " to " << to << " width " << width;
      }
  }
}
