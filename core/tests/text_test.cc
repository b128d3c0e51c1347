#include "text.h"

#include <gtest/gtest.h>

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
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
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
