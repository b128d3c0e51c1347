// Kestrum as a Windows program: file sharing with other processes, paths
// with drive letters and backslashes, names outside the code page and
// paths past the old length limit (Vandelo's input with them), and the
// system's error wording.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exit_codes.h"
#include "process_runner.h"
#include "reader_exit_codes.h"
#include "system_error_text_win32.h"

namespace fs = std::filesystem;

namespace {

const std::string kKestrum = KESTRUM_EXE;
const std::string kVandelo = VANDELO_EXE;

// Two entries for the default profile: marker "<158>", the name is word 10.
const std::string kSyslog =
    "<158> 1 Mar 7 10:20:30 host user daemon info backup job started\r\n"
    "noise line without the marker\r\n"
    "<158> 1 Mar 7 10:21:30 host user daemon info cleanup job started\r\n";

std::string FileErrorLine(const std::string& name, DWORD code) {
  return "File handling ERROR occurred with \"" + name + "\" -- " + SystemText(code) + "\r\n";
}

// A fresh folder under the temp folder, in Windows form (drive letter,
// backslashes), removed with its content.
struct TScratchFolder {
  fs::path Path;
  explicit TScratchFolder(const std::string& name) {
    Path = fs::temp_directory_path() / ("orvella_kestrum_" + name);
    fs::remove_all(Path);
    fs::create_directories(Path);
  }
  ~TScratchFolder() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  std::string Name() const { return Path.string(); }
  std::string Put(const std::string& relative, const std::string& content) const {
    fs::path p = Path / relative;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }
};

// The value of a labelled report line (" <label> ..... value"), without
// the blanks that right-align it; "<none>" when there is no such line.
std::string ReportValue(const std::string& out, const std::string& label) {
  std::size_t at = out.find("\r\n " + label + " ");
  if (at == std::string::npos) return "<none>";
  std::size_t start = at + 2 + 42;  // the blank, 40 columns of label and dots, a blank
  std::size_t end = out.find("\r\n", start);
  if (start > out.size() || end == std::string::npos) return "<none>";
  std::size_t first = out.find_first_not_of(' ', start);
  return first >= end ? std::string() : out.substr(first, end - first);
}

HANDLE Hold(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Narrow(const std::wstring& w, UINT codePage) {
  std::string s(w.size() * 4, '\0');
  s.resize(static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(),
                                                        static_cast<int>(s.size()), nullptr, nullptr)));
  return s;
}

// What the programs print for a name: the system's conversion to the ANSI
// code page, "?" for what it cannot show.
std::string Shown(const std::wstring& name) { return Narrow(name, CP_ACP); }

// The test's own file work reaches any name and length through \\?\.
std::wstring Extended(const std::wstring& full) { return L"\\\\?\\" + full; }

void MakeFolders(const std::wstring& full) {
  for (std::size_t at = full.find(L'\\', 3);; at = full.find(L'\\', at + 1)) {
    CreateDirectoryW(Extended(full.substr(0, at)).c_str(), nullptr);
    if (at == std::wstring::npos) return;
  }
}

void PutFile(const std::wstring& full, const std::string& content) {
  HANDLE h =
      CreateFileW(Extended(full).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &n, nullptr);
  CloseHandle(h);
}

std::string FileContent(const std::wstring& full) {
  HANDLE h = CreateFileW(Extended(full).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<no file>";
  char buf[4096];
  DWORD n = 0;
  std::string data;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) data.append(buf, n);
  CloseHandle(h);
  return data;
}

void RemoveTree(const std::wstring& full) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(Extended(full + L"\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full + L"\\" + name);
      else
        DeleteFileW(Extended(full + L"\\" + name).c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(Extended(full).c_str());
}

// A fresh folder under the temp folder, short enough to be a current folder.
struct TWideScratch {
  std::wstring Path;
  TWideScratch() {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    Path = std::wstring(temp, n) + L"orvella_names_" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(Path);
    MakeFolders(Path);
  }
  ~TWideScratch() { RemoveTree(Path); }
};

std::wstring Replaced(std::wstring text, const std::wstring& mark, const std::wstring& by) {
  for (std::size_t at = text.find(mark); at != std::wstring::npos; at = text.find(mark, at + by.size()))
    text.replace(at, mark.size(), by);
  return text;
}

}  // namespace

// A syslog server keeps its file open for writing while the tally runs.
TEST(KestrumWin32, ReadsFileHeldOpenForWritingByAnotherProcess) {
  TScratchFolder dir("held");
  std::string log = dir.Put("syslog.txt", kSyslog);
  HANDLE server = Hold(log, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  SetFilePointer(server, 0, nullptr, FILE_END);
  const std::string more = "<158> 1 Mar 7 10:22:30 host user daemon info backup job started\r\n";
  DWORD n = 0;
  WriteFile(server, more.data(), static_cast<DWORD>(more.size()), &n, nullptr);

  TProcessResult r = RunProgram(kKestrum, {log});
  CloseHandle(server);
  ASSERT_TRUE(r.Started);
  EXPECT_EQ(r.ExitCode, KestrumExit::Ok) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(ReportValue(r.Out, "backup"), "2");
  EXPECT_EQ(ReportValue(r.Out, "cleanup"), "1");
  EXPECT_EQ(ReportValue(r.Out, "TOTAL SYSLOG ENTRIES FOUND/READ"), "3");
  EXPECT_EQ(ReportValue(r.Out, "CURRENT SYSLOG FILESIZE (in bytes)"), std::to_string(kSyslog.size() + more.size()));
}

TEST(KestrumWin32, FileLockedWithoutSharingIsAFileError) {
  TScratchFolder dir("locked");
  std::string log = dir.Put("syslog.txt", kSyslog);
  HANDLE locker = Hold(log, GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  TProcessResult r = RunProgram(kKestrum, {log});
  CloseHandle(locker);
  ASSERT_TRUE(r.Started);
  EXPECT_EQ(r.ExitCode, KestrumExit::ReadError);
  EXPECT_EQ(r.Err, FileErrorLine(log, ERROR_SHARING_VIOLATION));
  EXPECT_EQ(r.Out, "");
}

// The report names the file exactly as it was typed, in any Windows form.
TEST(KestrumWin32, ReportShowsThePathAsTyped) {
  TScratchFolder dir("paths");
  std::string full = dir.Put("logs\\today\\syslog.txt", kSyslog);
  std::string forward = full;
  for (char& c : forward)
    if (c == '\\') c = '/';
  std::string lowerDrive = full;
  lowerDrive[0] = static_cast<char>(tolower(lowerDrive[0]));
  const std::string typed[] = {full,
                               forward,
                               lowerDrive,
                               "logs\\today\\syslog.txt",
                               "logs/today\\syslog.txt",
                               ".\\logs\\..\\logs\\today\\syslog.txt",
                               full.substr(0, 2) + "logs\\today\\syslog.txt"};
  TProcessOptions o;
  o.WorkDir = dir.Name();
  for (const std::string& name : typed) {
    SCOPED_TRACE(name);
    TProcessResult r = RunProgram(kKestrum, {name}, o);
    ASSERT_TRUE(r.Started);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok) << r.Err;
    EXPECT_EQ(ReportValue(r.Out, "CURRENT SYSLOG FILENAME"), name);
    EXPECT_EQ(ReportValue(r.Out, "TOTAL SYSLOG ENTRIES FOUND/READ"), "2");
  }
}

TEST(KestrumWin32, MissingPathsInWindowsFormAreNotFound) {
  TScratchFolder dir("missing");
  for (const std::string& name :
       {dir.Name() + "\\none.txt", dir.Name() + "\\no\\dir\\f.txt", std::string("logs\\none.txt"), dir.Name()}) {
    SCOPED_TRACE(name);
    TProcessResult r = RunProgram(kKestrum, {name});
    EXPECT_EQ(r.ExitCode, KestrumExit::FileNotFound);
    EXPECT_EQ(r.Err, "ERROR: File Not Found...\r\n");
    EXPECT_EQ(r.Out, "");
  }
}

// The confirmation shows the full path in Windows form, whatever was typed.
TEST(KestrumWin32, ExportConfirmationShowsTheFullWindowsPath) {
  TScratchFolder dir("export");
  fs::create_directories(dir.Path / "sub");
  TProcessOptions o;
  o.WorkDir = dir.Name();
  const struct {
    std::vector<std::string> args;
    std::string written;  // relative to the folder, Windows form
  } cases[] = {
      {{"-X", "sub/sample.txt"}, "sub\\sample.txt"},         {{"-X", "sub\\other.txt"}, "sub\\other.txt"},
      {{"-X", "./sub/../third.cfg"}, "third.cfg"},           {{"-X"}, "Kestrum.Input.TXT"},
      {{"-X", dir.Name() + "/sub/abs.txt"}, "sub\\abs.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.written);
    TProcessResult r = RunProgram(kKestrum, c.args, o);
    ASSERT_TRUE(r.Started);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok) << r.Err;
    std::string full = (dir.Path / c.written).string();
    EXPECT_EQ(r.Out, "Sample Custom Configuration saved to: \"" + full + "\"\r\n");
    std::ifstream f(full, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content,
              "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n"
              "<158>|;|1|;|3| :|8\r\n");
  }
}

TEST(KestrumWin32, ExportErrorsUseTheSystemWording) {
  TScratchFolder dir("exporterr");
  std::string locked = dir.Put("locked.txt", "x");
  HANDLE locker = Hold(locked, GENERIC_READ, 0);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  TProcessOptions o;
  o.WorkDir = dir.Name();
  const struct {
    std::string name;
    DWORD code;
  } cases[] = {
      {"no\\such\\folder\\s.txt", ERROR_PATH_NOT_FOUND},
      {"locked.txt", ERROR_SHARING_VIOLATION},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TProcessResult r = RunProgram(kKestrum, {"-X", c.name}, o);
    EXPECT_EQ(r.ExitCode, KestrumExit::WriteError);
    EXPECT_EQ(r.Err, FileErrorLine(c.name, c.code));
    EXPECT_EQ(r.Out, "");
  }
  CloseHandle(locker);
}

// Every file the programs open, found by the name as it was typed: outside
// the code page, past the old path limit (absolute, relative to a short
// current folder, and in \\?\ form), and in the forms that opened before.
// Each row is a syslog file, a --CS layout file, an -x export (created,
// then appended to) and a Vandelo input; a row without a folder is missing.
TEST(KestrumWin32, FilesAreOpenedByTheNameAsTyped) {
  TWideScratch scratch;
  const std::wstring& base = scratch.Path;
  std::wstring deep;  // six folders of 50 characters
  for (int i = 1; i <= 6; ++i) deep += L"\\level" + std::to_wstring(i) + L"_" + std::wstring(43, L'x');
  deep = deep.substr(1);
  const std::wstring cjk = L"\u65E5\u5FD7", cyrillic = L"\u0416\u0443\u0440\u043D\u0430\u043B";
  const struct {
    std::wstring Where;  // the file under the scratch folder; empty: there is none
    std::wstring Typed;  // %B the scratch folder; %F stands for the file's name in both
  } cases[] = {
      {cjk + L"\\%F", L"%B\\" + cjk + L"\\%F"},
      {cjk + L"-%F", cjk + L"-%F"},
      {cyrillic + L"\\" + cyrillic + L"-%F", L"%B\\" + cyrillic + L"\\" + cyrillic + L"-%F"},
      {deep + L"\\%F", L"%B\\" + deep + L"\\%F"},
      {deep + L"\\%F", deep + L"\\%F"},
      {deep + L"\\%F", L"\\\\?\\%B\\" + deep + L"\\%F"},
      {L"Protokoll-\u00DCberwachung\\%F", L"%B\\Protokoll-\u00DCberwachung\\%F"},
      {L"with blanks\\%F", L"with blanks\\%F"},
      {L"fwd\\slash\\%F", L"%B/fwd/slash/%F"},
      {L"dots\\%F", L".\\dots\\sub\\..\\%F"},
      {L"trailing\\%F", L"%B\\trailing\\%F."},
      {L"", L"%B\\" + cjk + L"\\" + cjk + L"\\%F"},
      {L"", deep + L"\\none\\%F"},
      {L"", L"\\\\?\\%B\\" + deep + L"\\none\\%F"},
  };
  const std::string layout = "<158>|\t |1| |11| |-1\r\n";  // the name is word 11: "job"
  const std::string sample =
      "#Marker|Date_Delimiter|Date_Index|Delimiter_1|Index_1|Delimiter_2|Index_2\r\n<158>|;|1|;|3| :|8\r\n";
  PutFile(base + L"\\short.log", kSyslog);
  TProcessOptions o;
  o.Utf8 = true;
  o.WorkDir = Narrow(base, CP_UTF8);
  for (const auto& c : cases) {
    auto typed = [&](const std::wstring& file) { return Replaced(Replaced(c.Typed, L"%B", base), L"%F", file); };
    auto file = [&](const std::wstring& name) { return base + L"\\" + Replaced(c.Where, L"%F", name); };
    const bool exists = !c.Where.empty();
    SCOPED_TRACE(Narrow(typed(L"f"), CP_UTF8));
    if (exists) {
      MakeFolders(file(L"").substr(0, file(L"").rfind(L'\\')));
      PutFile(file(L"syslog.log"), kSyslog);
      PutFile(file(L"layout.cfg"), layout);
      PutFile(file(L"flat.txt"), "a;b;one two three four five six seven eight\r\n");
    }

    const std::wstring syslog = typed(L"syslog.log");
    TProcessResult r = RunProgram(kKestrum, {Narrow(syslog, CP_UTF8)}, o);
    EXPECT_EQ(r.ExitCode, exists ? KestrumExit::Ok : KestrumExit::FileNotFound) << r.Err;
    EXPECT_EQ(r.Err, exists ? "" : "ERROR: File Not Found...\r\n");
    EXPECT_EQ(ReportValue(r.Out, "CURRENT SYSLOG FILENAME"), exists ? Shown(syslog) : "<none>");
    EXPECT_EQ(ReportValue(r.Out, "TOTAL SYSLOG ENTRIES FOUND/READ"), exists ? "2" : "<none>");

    const std::wstring layoutName = typed(L"layout.cfg");
    r = RunProgram(kKestrum, {"short.log", "--CS=" + Narrow(layoutName, CP_UTF8)}, o);
    EXPECT_EQ(r.ExitCode, exists ? KestrumExit::Ok : KestrumExit::FileNotFound) << r.Err;
    EXPECT_EQ(r.Err, exists ? "" : "ERROR: File Not Found...\r\n");
    EXPECT_EQ(ReportValue(r.Out, "CURRENT SYSLOG TYPE"),
              exists ? "Custom via \"" + Shown(layoutName) + "\"" : "<none>");
    EXPECT_EQ(ReportValue(r.Out, "job"), exists ? "2" : "<none>");

    const std::wstring exportName = typed(L"export.cfg");
    const std::wstring shownFull = (c.Typed.rfind(L"\\\\?\\", 0) == 0 ? L"\\\\?\\" : L"") + file(L"export.cfg");
    for (bool append : {false, true}) {
      SCOPED_TRACE(append ? "append" : "create");
      std::vector<std::string> args = {"-x", Narrow(exportName, CP_UTF8)};
      if (append) args.push_back("--Append");
      r = RunProgram(kKestrum, args, o);
      EXPECT_EQ(r.ExitCode, exists ? KestrumExit::Ok : KestrumExit::WriteError);
      EXPECT_EQ(r.Out, exists ? "Sample Custom Configuration saved to: \"" + Shown(shownFull) + "\"\r\n" : "");
      EXPECT_EQ(r.Err, exists ? "" : FileErrorLine(Shown(exportName), ERROR_PATH_NOT_FOUND));
    }
    if (exists) {
      EXPECT_EQ(FileContent(file(L"export.cfg")), sample + sample);
    }

    r = RunProgram(kVandelo, {Narrow(typed(L"flat.txt"), CP_UTF8)}, o);
    EXPECT_EQ(r.ExitCode, exists ? VandeloExit::Ok : VandeloExit::FileNotFound) << r.Err;
    EXPECT_EQ(r.Out, exists ? "eight\r\n" : "");
    EXPECT_EQ(r.Err, exists ? "" : "File Not Found...\r\n");
  }
}
