// Kestrum as a Windows program: file sharing with other processes, paths
// with drive letters and backslashes, and the system's error wording.
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
#include "system_error_text_win32.h"

namespace fs = std::filesystem;

namespace {

const std::string kKestrum = KESTRUM_EXE;

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
