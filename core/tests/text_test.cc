#include "text.h"

#include <gtest/gtest.h>

#include <random>

#include "line_reader.h"

TEST(WordOf, CutsByRunsOfDelimiters) {
  struct {
    const char* text;
    const char* delims;
    long long n;
    const char* want;
  } cases[] = {
      {"a;;b", ";", 1, "a"},       {"a;;b", ";", 2, "b"},
      {";x", ";", 1, "x"},         {"a;b;", ";", 3, ""},
      {"abc", ";", 0, ""},         {"abc", ";", -1, ""},
      {"", ";", 1, ""},            {";;;", ";", 1, ""},
      {"one two:three", " :", 3, "three"},
      {"x\ty z", "\t ", 2, "y"},   {"abc", "", 1, "abc"},
      {"abc", "", 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.delims + " / " + std::to_string(c.n));
    EXPECT_EQ(WordOf(c.text, WordCutterOf(CharSetOf(c.delims)), c.n), c.want);
  }
}

TEST(WordOf, HugeIndexIsEmpty) {
  const TWordCutter blank = WordCutterOf(CharSetOf(" "));
  EXPECT_EQ(WordOf("a b", blank, 2147483647LL), "");
  EXPECT_EQ(WordOf("a b", blank, -2147483648LL), "");
}

TEST(Trim, RemovesControlAndBlankAtBothEnds) {
  EXPECT_EQ(Trim(" \t\x01 ab c\r\n"), "ab c");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("\x80x\x80"), "\x80x\x80");
}

TEST(ReplaceText, Table) {
  struct {
    const char *text, *old, *repl;
    bool first;
    const char* want;
  } cases[] = {
      {"Kestrum.EXE", ".exe", "", false, "Kestrum"},
      {"aXbxc", "x", "-", false, "a-b-c"},
      {"aXbxc", "x", "-", true, "a-bxc"},
      {"abc", "", "zz", false, "abc"},
      {"ab", "abc", "z", false, "ab"},
      {"aaa", "a", "aa", false, "aaaaaa"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReplaceText(c.text, c.old, c.repl, c.first), c.want);
  }
}

TEST(QuoteIfNeeded, QuotesEmptyAndBlank) {
  EXPECT_EQ(QuoteIfNeeded(""), "\"\"");
  EXPECT_EQ(QuoteIfNeeded("C:\\Program Files"), "\"C:\\Program Files\"");
  EXPECT_EQ(QuoteIfNeeded("C:\\Tools"), "C:\\Tools");
  EXPECT_EQ(QuoteIfNeeded("a\"b c"), "\"a\"b c\"");
}

TEST(PathParts, FileAndDirectory) {
  struct {
    const char *path, *file, *directory;
  } cases[] = {
      {"C:\\Tools\\Kestrum.exe", "Kestrum.exe", "C:\\Tools"},
      {"C:\\Kestrum.exe", "Kestrum.exe", "C:\\"},
      {"/usr/bin/Kestrum", "Kestrum", "/usr/bin"},
      {"/Kestrum", "Kestrum", "/"},
      {"Kestrum", "Kestrum", ""},
      {"dir/", "", "dir"},
      {"a\\b/c", "c", "a\\b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNamePart(c.path), c.file) << c.path;
    EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
  }
}

TEST(RepeatChar, CountsBelowOneAreEmpty) {
  EXPECT_EQ(RepeatChar('=', 3), "===");
  EXPECT_EQ(RepeatChar('=', 0), "");
  EXPECT_EQ(RepeatChar('=', -5), "");
}

// The prepared cutter must give exactly the words of the plain cut, for
// texts long and short, sets of every size and every scan width the
// processor runs.
TEST(WordCutter, AgreesWithPlainWordOf) {
  const char* const sets[] = {"", ";", "\t ", " :", " ,;", " \t:;", " \t:;,", "\x80\xFF"};
  const char alphabet[] = "ab ;:\t,x\x80\xFF";
  std::mt19937 next(12345);
  for (int width = kScanPlain; width <= gBestScanWidth; ++width) {
    for (const char* delims : sets) {
      TCharSet set = CharSetOf(delims);
      TWordCutter cutter = WordCutterOf(set), plain = cutter;
      cutter.Width = static_cast<TScanWidth>(width);
      plain.Width = kScanPlain;
      for (int round = 0; round < 300; ++round) {
        std::string text;
        for (std::uint32_t len = next() % 110; text.size() < len;)
          text += (next() % 3 == 0) ? alphabet[next() % (sizeof alphabet - 1)] : static_cast<char>('c' + next() % 20);
        for (long long n = -1; n <= 40; ++n) {
          SCOPED_TRACE(std::to_string(width) + " | " + delims + " | " + text + " | " + std::to_string(n));
          std::string_view want = WordOf(text, plain, n);
          std::string_view got = WordOf(text, cutter, n);
          ASSERT_EQ(got, want);
          if (!want.empty()) {
            ASSERT_EQ(got.data(), want.data());
          }
        }
      }
    }
  }
}

// The walk of a line to its end and one of its words must give the line end
// and then the word of the plain cuts, from every start and at every scan
// width: words, delimiter runs and line ends fall on both sides of the
// walk's 64-byte steps, and lines end near the text's end.
TEST(WordCutter, LineWordAgreesWithLineEndThenWordOf) {
  const char* const sets[] = {"", ";", "\t ", " :", " ,;", " \t:;", " \t:;,"};
  const char others[] = "ab ;:\t,x\x80";
  std::mt19937 next(54321);
  for (int width = kScanPlain; width <= gBestScanWidth; ++width) {
    for (const char* delims : sets) {
      TWordCutter cutter = WordCutterOf(CharSetOf(delims)), plain = cutter;
      cutter.Width = static_cast<TScanWidth>(width);
      plain.Width = kScanPlain;
      for (int round = 0; round < 25; ++round) {
        std::string text;
        for (std::uint32_t len = next() % 300; text.size() < len;) {
          const std::uint32_t r = next() % 64;
          text += r == 0 ? (next() % 2 ? '\r' : '\n') : r < 24 ? others[next() % (sizeof others - 1)] : 'c';
        }
        for (std::size_t from = 0; from <= text.size(); ++from)
          for (long long n = -1; n <= 14; ++n) {
            SCOPED_TRACE(std::to_string(width) + " | " + delims + " | " + text + " | " + std::to_string(from) + " | " +
                         std::to_string(n));
            const std::size_t end = FindLineEnd(text, from, kScanPlain);
            const std::string_view want = WordOf(std::string_view(text).substr(from, end - from), plain, n);
            const TLineWord got = LineWordOf(text, from, cutter, n);
            ASSERT_EQ(got.End, end);
            ASSERT_EQ(got.Word, want);
            if (!want.empty()) {
              ASSERT_EQ(got.Word.data(), want.data());
            }
          }
      }
    }
  }
}
