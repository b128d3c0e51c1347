#include "platform/windows_names.h"

#include <gtest/gtest.h>

namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

// The rows are what the C runtime's own argv holds for each line.
TEST(CommandLineArguments, SplitAsTheRuntimeSplits) {
  const struct {
    std::string Line;
    std::vector<std::string> Args;
  } cases[] = {
      {"", {}},
      {"prog", {}},
      {"prog  a\tb  ", {"a", "b"}},
      {"prog a\t\"b\tc\"", {"a", "b\tc"}},
      {"prog \"\" x", {"", "x"}},
      {"prog a\"b c\"d e", {"ab cd", "e"}},
      {"prog a\"\"b c", {"ab", "c"}},
      {"prog \"a\"\"b c\" d", {"a\"b c", "d"}},
      {"prog \"a\"\"\"b c", {"a\"b", "c"}},
      {"prog \"\"\"a\" b", {"\"a", "b"}},
      {"prog \"\"\"\" x", {"\"", "x"}},
      {"prog \"\"\"\"\" x y", {"\"\" x y"}},
      {"prog \"a\"\" b", {"a\" b"}},
      {"prog a\\\"b c", {"a\"b", "c"}},
      {"prog \"a\\\\\"b c", {"a\\b", "c"}},
      {"prog a\\\\\\\"b c", {"a\\\"b", "c"}},
      {"prog \"a b\\\\\" c", {"a b\\", "c"}},
      {"prog a\\\\b\\\\ c\\", {"a\\\\b\\\\", "c\\"}},
      {"prog C:\\Logs\\ \"C:\\Program Files\\x\\\\\"", {"C:\\Logs\\", "C:\\Program Files\\x\\"}},
      // The program name: quotes toggle, backslashes stay.
      {"\"C:\\my tools\\prog.exe\" a", {"a"}},
      {"\"C:\\my tools\\\"prog.exe a", {"a"}},
      {"C:\\tools\\prog\" \"x.exe a b", {"a", "b"}},
      {"\"unclosed program name a b", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(CommandLineArguments(std::string_view(c.Line)), c.Args);
    std::vector<std::wstring> wide;
    for (const std::string& a : c.Args) wide.push_back(Wide(a));
    EXPECT_EQ(CommandLineArguments(std::wstring_view(Wide(c.Line))), wide);
  }
}

TEST(CommandLineArguments, WideCharactersAreOrdinaryText) {
  EXPECT_EQ(CommandLineArguments(std::wstring_view(L"prog \u65E5\u5FD7.log \"\u0416 \\\"x\"")),
            (std::vector<std::wstring>{L"\u65E5\u5FD7.log", L"\u0416 \"x"}));
}

TEST(LongPathForm, LongPathsTakeTheExtendedFormOfTheFullPath) {
  const std::wstring deep = L"\\" + std::wstring(50, L'd') + L"\\" + std::wstring(50, L'e') + L"\\" +
                            std::wstring(50, L'f') + L"\\" + std::wstring(50, L'g') + L"\\" + std::wstring(50, L'h');
  const std::wstring longFull = L"C:\\logs" + deep + L"\\sys.log";  // over 260
  ASSERT_GE(longFull.size(), kLegacyPathLimit);
  const std::wstring shortFull = L"C:\\logs\\sys.log";
  const struct {
    std::wstring Typed, Full, Want;
  } cases[] = {
      // Short: the API is handed what was typed, and normalises it itself.
      {L"sys.log", shortFull, L"sys.log"},
      {L"C:/logs/./x/../sys.log", shortFull, L"C:/logs/./x/../sys.log"},
      {L"\\\\srv\\share\\sys.log", L"\\\\srv\\share\\sys.log", L"\\\\srv\\share\\sys.log"},
      {L"NUL", L"\\\\.\\NUL", L"NUL"},
      // Right at the limit, the typed name or the full path.
      {std::wstring(kLegacyPathLimit - 1, L'a'), L"C:\\" + std::wstring(kLegacyPathLimit - 4, L'a'),
       std::wstring(kLegacyPathLimit - 1, L'a')},
      {L"a", L"C:\\" + std::wstring(kLegacyPathLimit - 3, L'a'),
       L"\\\\?\\C:\\" + std::wstring(kLegacyPathLimit - 3, L'a')},
      {L"a\\..\\" + std::wstring(kLegacyPathLimit, L'a') + L"\\..\\sys.log", shortFull, L"\\\\?\\" + shortFull},
      // Long on a drive, typed in any form: the full path, normalised.
      {longFull, longFull, L"\\\\?\\" + longFull},
      {L"c:/logs" + deep + L"/sys.log.", L"c:\\logs" + deep + L"\\sys.log", L"\\\\?\\c:\\logs" + deep + L"\\sys.log"},
      {L"logs" + deep + L"\\sys.log", longFull, L"\\\\?\\" + longFull},
      {L"x\\..\\logs" + deep + L"\\sys.log", longFull, L"\\\\?\\" + longFull},
      {L"sys.log", longFull, L"\\\\?\\" + longFull},  // a short name in a deep current folder
      {L"D:" + deep.substr(1) + L"\\sys.log", L"D:\\cur" + deep + L"\\sys.log",
       L"\\\\?\\D:\\cur" + deep + L"\\sys.log"},
      // Long on a share.
      {L"\\\\srv\\share" + deep + L"\\sys.log", L"\\\\srv\\share" + deep + L"\\sys.log",
       L"\\\\?\\UNC\\srv\\share" + deep + L"\\sys.log"},
      {L"//srv/share" + deep + L"/sys.log", L"\\\\srv\\share" + deep + L"\\sys.log",
       L"\\\\?\\UNC\\srv\\share" + deep + L"\\sys.log"},
      // Typed in the extended form: taken as it is, short or long.
      {L"\\\\?\\C:\\logs\\sys.log", L"\\\\?\\C:\\logs\\sys.log", L"\\\\?\\C:\\logs\\sys.log"},
      {L"\\\\?\\" + longFull, L"\\\\?\\" + longFull, L"\\\\?\\" + longFull},
      {L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep, L"\\\\?\\UNC\\srv\\share" + deep},
      // The system's device form, and no full path at all: as typed.
      {L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep, L"\\\\.\\C:" + deep},
      {L"logs" + deep + deep, L"", L"logs" + deep + deep},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Typed.begin(), c.Typed.end()));
    EXPECT_EQ(LongPathForm(c.Typed, c.Full), c.Want);
  }
}
