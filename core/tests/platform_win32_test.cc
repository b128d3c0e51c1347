// What only the Windows side promises: sharing, drive-letter paths, the
// system locale and the pause rules for a redirected standard input.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "date_picture.h"
#include "dates.h"
#include "files.h"
#include "platform/platform.h"
#include "process_runner.h"
#include "restore_on_exit.h"
#include "system_error_text_win32.h"
#include "test_files.h"

namespace {

HANDLE OpenWith(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Standard input swapped for the length of a test.
struct TStdinSwap {
  HANDLE Saved;
  explicit TStdinSwap(HANDLE h) : Saved(GetStdHandle(STD_INPUT_HANDLE)) { SetStdHandle(STD_INPUT_HANDLE, h); }
  ~TStdinSwap() { SetStdHandle(STD_INPUT_HANDLE, Saved); }
};

bool PendingWithStdin(HANDLE h) {
  TStdinSwap swap(h);
  PlatKeyWatchStart();
  bool pending = PlatKeyPending();
  PlatKeyWatchStop();
  return pending;
}

}  // namespace

TEST(PlatformWin32, ReadsFileHeldOpenForWritingByAnotherHandle) {
  TScratchFile f("old\r\n");
  HANDLE writer = OpenWith(f.Name(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  SetFilePointer(writer, 0, nullptr, FILE_END);
  DWORD n = 0;
  WriteFile(writer, "new\r\n", 5, &n, nullptr);
  TPlatHandle h = NoPlatHandle;
  std::string err;
  EXPECT_TRUE(PlatOpenRead(f.Name(), &h, &err)) << err;
  char buf[64];
  std::size_t got = 0;
  EXPECT_TRUE(PlatRead(h, -1, buf, sizeof buf, &got, &err)) << err;
  EXPECT_EQ(std::string(buf, got), "old\r\nnew\r\n");
  PlatClose(h, &err);
  CloseHandle(writer);
}

TEST(PlatformWin32, FileLockedWithoutSharingExistsButCannotBeRead) {
  TScratchFile f("secret");
  HANDLE locker = OpenWith(f.Name(), GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(FileExists(f.Name()));
  EXPECT_EQ(PlatSearchDirectory(f.Name()), TPathKind::File);
  TPlatHandle h = NoPlatHandle;
  std::string err;
  EXPECT_FALSE(PlatOpenRead(f.Name(), &h, &err));
  EXPECT_EQ(err, SystemText(ERROR_SHARING_VIOLATION));
  err.clear();
  EXPECT_FALSE(PlatOpenWrite(f.Name(), true, &h, &err));
  EXPECT_EQ(err, SystemText(ERROR_SHARING_VIOLATION));
  CloseHandle(locker);
}

TEST(PlatformWin32, ErrorTextIsTheSystemWordingTrimmed) {
  TPlatHandle h = NoPlatHandle;
  std::string err;
  std::filesystem::path temp = std::filesystem::temp_directory_path();
  EXPECT_FALSE(PlatOpenRead((temp / "orvella_no_dir" / "file.txt").string(), &h, &err));
  EXPECT_EQ(err, SystemText(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(PlatOpenRead((temp / "orvella_none.txt").string(), &h, &err));
  EXPECT_EQ(err, SystemText(ERROR_FILE_NOT_FOUND));
}

TEST(PlatformWin32, FullPathHasDriveAndBackslashes) {
  std::string full = PlatFullPath("logs/today/../sys.log");
  ASSERT_GE(full.size(), 3u);
  EXPECT_TRUE(isalpha(static_cast<unsigned char>(full[0])) && full[1] == ':' && full[2] == '\\') << full;
  EXPECT_EQ(full.find('/'), std::string::npos) << full;
  EXPECT_EQ(full.substr(full.size() - 13), "\\logs\\sys.log");
  EXPECT_EQ(PlatFullPath("C:/a/b.txt"), "C:\\a\\b.txt");
  EXPECT_EQ(PlatFullPath("C:\\a\\.\\b.txt"), "C:\\a\\b.txt");
}

TEST(PlatformWin32, PathsWithEitherSeparatorAndDriveLetters) {
  TScratchFile f("x");
  std::string full = PlatFullPath(f.Name());
  std::string forward = full;
  for (char& c : forward)
    if (c == '\\') c = '/';
  std::string lowerDrive = full;
  lowerDrive[0] = static_cast<char>(tolower(lowerDrive[0]));
  for (const std::string& p : {full, forward, lowerDrive}) {
    SCOPED_TRACE(p);
    EXPECT_TRUE(FileExists(p));
    EXPECT_EQ(PlatSearchDirectory(p), TPathKind::File);
  }
  std::string folder = full.substr(0, full.find_last_of('\\'));
  EXPECT_EQ(PlatQueryPath(folder), TPathKind::Directory);
  EXPECT_EQ(PlatQueryPath(full.substr(0, 3)), TPathKind::Directory);  // the drive's root
}

TEST(PlatformWin32, NamesThatCannotExistAreMissing) {
  for (const char* p : {"Q1:\\x.txt", "a<b>.txt", "*.txt", "what?.log"}) {
    SCOPED_TRACE(p);
    EXPECT_FALSE(FileExists(p));
  }
}

TEST(PlatformWin32, ProgramPathIsTheModuleFile) {
  char buf[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  EXPECT_EQ(PlatProgramPath(), std::string(buf, n));
  EXPECT_EQ(PlatProgramPath().substr(PlatProgramPath().size() - 15), "\\core_tests.exe");
}

TEST(PlatformWin32, RawCommandLineIsTheProcessCommandLine) { EXPECT_EQ(PlatRawCommandLine(), GetCommandLineA()); }

// The wide command line is split by rules of our own; here the C runtime's
// argv of the same lines says what they must give.
TEST(PlatformWin32, CommandLineRulesMatchTheRuntime) {
  const struct {
    std::string Tail;
    std::vector<std::string> Args;
  } cases[] = {
      {R"(a"b c"d e "" x)", {"ab cd", "e", "", "x"}},
      {R"("a""b c" d "a"""b c)", {"a\"b c", "d", "a\"b", "c"}},
      {R"("""a" """" """"" x y)", {"\"a", "\"", "\"\" x y"}},
      {R"(a\"b "a\\"b a\\\"b "a b\\" a\\b\\ c\)", {"a\"b", "a\\b", "a\\\"b", "a b\\", "a\\\\b\\\\", "c\\"}},
      {"a\t\"b\tc\"  ", {"a", "b\tc"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Tail);
    TProcessOptions o;
    o.CommandTail = c.Tail;
    TProcessResult r = RunProgram(ORVELLA_PROBE, {"split"}, o);
    std::string want = "same\r\n";
    for (const std::string& a : c.Args) want += "<" + a + ">\r\n";
    EXPECT_EQ(r.Out, want) << r.Err;
  }
}

TEST(PlatformWin32, CaseFoldFollowsTheAnsiCodePage) {
  unsigned char table[256];
  PlatCaseFoldTable(table);
  if (GetACP() != 1252) GTEST_SKIP() << "checks need code page 1252, this system uses " << GetACP();
  const int pairs[][2] = {{0xC0, 0xE0}, {0xC9, 0xE9}, {0xDE, 0xFE}, {0x8A, 0x9A},
                          {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (const auto& p : pairs) EXPECT_EQ(table[p[0]], p[1]) << p[0];
  for (int c : {0xD7, 0xDF, 0xF7, 0xE0, 0xFF, 0x80, 0xA0}) EXPECT_EQ(table[c], c) << c;
}

// A date the system writes in its short form must read back as that date.
TEST(PlatformWin32, ShortDatesOfTheSystemLocaleReadBack) {
  const TRestoreOnExit<TLocaleFormats> saved(FormatSettings);
  FormatSettings = DefaultFormatSettings();
  SYSTEMTIME st = {};
  st.wYear = 2024;
  st.wMonth = 11;
  st.wDay = 5;
  char text[64];
  int n = GetDateFormatA(LOCALE_SYSTEM_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, sizeof text);
  ASSERT_GT(n, 1);
  TDateTime dt;
  ASSERT_TRUE(ParseDateTime(text, FormatSettings.ShortDatePattern, &dt))
      << text << " vs " << FormatSettings.ShortDatePattern;
  TLocalTime t = LocalTimeOf(dt);
  EXPECT_EQ(t.Year, 2024);
  EXPECT_EQ(t.Month, 11);
  EXPECT_EQ(t.Day, 5);
}

// A stamp past the last date the programs can print reads as the zero date,
// never as a failure to read the file.
TEST(PlatformWin32, FileTimesBeyondYear9999ReadAsTheZeroDate) {
  // 100-ns steps from 1601: year 10000 is about 2.65e18, year 30000 8.96e18.
  const ULONGLONG stamps[] = {2650467744000000000ULL, 8960000000000000000ULL};
  auto setStamp = [](HANDLE h, ULONGLONG ticks) {
    FILETIME ft, got;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return SetFileTime(h, nullptr, nullptr, &ft) && GetFileTime(h, nullptr, nullptr, &got) &&
           got.dwHighDateTime == ft.dwHighDateTime && got.dwLowDateTime == ft.dwLowDateTime;
  };
  // NTFS keeps any stamp. Under wine the temp folder may lie on a Linux
  // file system that clamps it; the Linux tmpfs (seen as Z:) does not.
  HANDLE h = INVALID_HANDLE_VALUE;
  std::string path;
  for (std::string dir : {std::filesystem::temp_directory_path().string(), std::string("Z:\\dev\\shm")}) {
    path = dir + "\\orvella_far_" + std::to_string(GetCurrentProcessId()) + ".txt";
    h = CreateFileA(path.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                    FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE && setStamp(h, stamps[0])) break;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
  if (h == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no file system here keeps a stamp past 9999";
  for (ULONGLONG ticks : stamps) {
    SCOPED_TRACE(ticks);
    ASSERT_TRUE(setStamp(h, ticks));
    TLocalTime when;
    std::string err;
    EXPECT_TRUE(PlatFileModified(reinterpret_cast<TPlatHandle>(h), &when, &err)) << err;
    EXPECT_EQ(when.Year, 1899);
    EXPECT_EQ(when.Month, 12);
    EXPECT_EQ(when.Day, 30);
  }
  CloseHandle(h);
}

// "program | more" where the reader quit: the write fails with a reason the
// program can report, instead of ending the process.
TEST(PlatformWin32, WriteToAClosedPipeFails) {
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  CloseHandle(readEnd);
  HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, writeEnd);
  std::string err;
  bool wrote = PlatWriteStd(StdOutput, "lost\r\n", 6, &err);
  SetStdHandle(STD_OUTPUT_HANDLE, saved);
  CloseHandle(writeEnd);
  EXPECT_FALSE(wrote);
  EXPECT_EQ(err, SystemText(ERROR_NO_DATA));
}

TEST(PlatformWin32, PauseEndsAtOnceForFileAndNullInput) {
  TScratchFile f("typed ahead\r\n");
  HANDLE file = OpenWith(f.Name(), GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(PendingWithStdin(file));
  CloseHandle(file);
  TScratchFile empty("");
  file = OpenWith(empty.Name(), GENERIC_READ, FILE_SHARE_READ);
  EXPECT_TRUE(PendingWithStdin(file));
  CloseHandle(file);
  HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(nul, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(PendingWithStdin(nul));
  CloseHandle(nul);
}

TEST(PlatformWin32, PauseOnAPipeWaitsForDataOrItsEnd) {
  HANDLE readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  EXPECT_FALSE(PendingWithStdin(readEnd));
  DWORD n = 0;
  WriteFile(writeEnd, "k", 1, &n, nullptr);
  EXPECT_TRUE(PendingWithStdin(readEnd));
  char c;
  ReadFile(readEnd, &c, 1, &n, nullptr);
  EXPECT_FALSE(PendingWithStdin(readEnd));
  CloseHandle(writeEnd);
  EXPECT_TRUE(PendingWithStdin(readEnd));
  CloseHandle(readEnd);
}
