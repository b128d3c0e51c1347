#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include "process_runner.h"

namespace {

// A program that hangs must fail its test, not stall the whole suite.
constexpr DWORD kRunTimeoutMs = 120000;

// One argument in the form the C runtime's command-line parser turns back
// into exactly that text: backslashes are literal except before a quote.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
    } else {
      out.append(slashes, '\\');
    }
    slashes = 0;
    out += c;
  }
  // Backslashes before the closing quote must not escape it.
  out.append(slashes * 2, '\\');
  out += '"';
  return out;
}

std::string TempFile() {
  char dir[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof dir, dir);
  if (n == 0 || n > MAX_PATH) lstrcpyA(dir, ".");
  char name[MAX_PATH + 1];
  if (!GetTempFileNameA(dir, "orv", 0, name)) return std::string();
  return name;
}

HANDLE OpenInheritable(const std::string& path, bool forWriting) {
  SECURITY_ATTRIBUTES sa;
  sa.nLength = sizeof sa;
  sa.lpSecurityDescriptor = nullptr;
  sa.bInheritHandle = TRUE;
  return CreateFileA(path.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                     forWriting ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string Slurp(const std::string& path) {
  std::string data;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return data;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  CloseHandle(h);
  return data;
}

std::wstring Widen(const std::string& s, UINT codePage) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

void CloseIfOpen(HANDLE h) {
  if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
}

}  // namespace

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options) {
  TProcessResult result;
  const bool captureOut = options.StdoutPath.empty();
  std::string outPath = captureOut ? TempFile() : options.StdoutPath, errPath = TempFile();
  HANDLE in = OpenInheritable(options.StdinPath.empty() ? "NUL" : options.StdinPath, false);
  HANDLE out = OpenInheritable(outPath, true);
  HANDLE err = OpenInheritable(errPath, true);

  std::string commandLine = QuoteArgument(program);
  for (const std::string& a : args) commandLine += ' ' + QuoteArgument(a);
  if (!options.CommandTail.empty()) commandLine += ' ' + options.CommandTail;
  // What CreateProcessA would do with ANSI text, and the same for UTF-8.
  const UINT codePage = options.Utf8 ? CP_UTF8 : CP_ACP;
  std::wstring wideLine = Widen(commandLine, codePage);
  std::wstring wideProgram = Widen(program, codePage), wideDir = Widen(options.WorkDir, codePage);

  STARTUPINFOW si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  bool timedOut = false;
  std::string startError;
  bool ready = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE;
  // Wine's CreateProcess now and then fails with an internal error on a
  // busy machine, before anything of the program runs: such a start is
  // tried again, as nothing was done that could be done twice.
  bool started = false;
  DWORD startCode = 0;
  for (int attempt = 0; ready && !started && attempt < 3; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(wideProgram.c_str(), wideLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             wideDir.empty() ? nullptr : wideDir.c_str(), &si, &pi);
    startCode = started ? 0 : GetLastError();
    if (startCode != ERROR_INTERNAL_ERROR) break;
  }
  if (started) {
    result.Started = true;
    if (WaitForSingleObject(pi.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, INFINITE);
      timedOut = true;
    } else {
      DWORD code = 0;
      GetExitCodeProcess(pi.hProcess, &code);
      result.ExitCode = static_cast<int>(code);
      PROCESS_MEMORY_COUNTERS memory;
      if (K32GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory))
        result.PeakMemoryBytes = static_cast<std::int64_t>(memory.PeakWorkingSetSize);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    startError = "[test runner: cannot start " + program + ", error " + std::to_string(startCode) + "]\n";
  }
  CloseIfOpen(in);
  CloseIfOpen(out);
  CloseIfOpen(err);
  if (captureOut) result.Out = Slurp(outPath);
  result.Err = Slurp(errPath);
  result.Err += startError;
  if (timedOut) result.Err += "\n[test runner: stopped after 120 seconds]\n";
  if (captureOut) DeleteFileA(outPath.c_str());
  DeleteFileA(errPath.c_str());
  return result;
}
