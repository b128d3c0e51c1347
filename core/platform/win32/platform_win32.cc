// Windows side of the platform layer: the console and file API the
// programs were made for. Text is handed over as bytes in the ANSI code
// page. Files are reached through the wide API by the name as it was typed,
// since the code page may have lost part of it, and in the \\?\ form where
// the path is too long for the old limit.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <bit>
#include <cstdio>

#include "platform/platform.h"
#include "platform/windows_names.h"

namespace {

std::vector<std::string> gArgs;
// The same arguments as the wide command line holds them.
std::vector<std::wstring> gTypedArgs;

// The system's text for an error code, without the trailing ". \r\n".
std::string ErrorText(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s;
  if (n > 0 && text) s.assign(text, n);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '.')) s.pop_back();
  if (s.empty()) s = "Error " + std::to_string(code);
  return s;
}

bool Fail(std::string* err, DWORD code) {
  if (err) *err = ErrorText(code);
  return false;
}

bool FailLast(std::string* err) { return Fail(err, GetLastError()); }

HANDLE ToHandle(TPlatHandle h) { return reinterpret_cast<HANDLE>(h); }

// The handle an open made into *handle, or the open's failure.
bool Opened(HANDLE h, TPlatHandle* handle, std::string* err) {
  if (h == INVALID_HANDLE_VALUE) return FailLast(err);
  *handle = reinterpret_cast<TPlatHandle>(h);
  return true;
}

// Writes the whole range in WriteFile calls of at most chunk bytes.
bool WriteAll(HANDLE h, const char* data, std::size_t size, DWORD chunk, std::string* err) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(h, data, size > chunk ? chunk : static_cast<DWORD>(size), &written, nullptr)) return FailLast(err);
    if (written == 0) return Fail(err, ERROR_WRITE_FAULT);
    data += written;
    size -= written;
  }
  return true;
}

TLocalTime FromSystemTime(const SYSTEMTIME& st) {
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

// An empty text converts to nothing: the size query then fails and gives 0.
std::wstring Widen(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// The system's conversion, the one that made the ANSI command line: "?"
// for what the code page cannot show.
std::string Narrow(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// Calls fill(buffer, capacity) -> length, growing the buffer while the
// result does not fit (the API's way of asking for more room). A failure
// gives length 0, which fits and leaves the text empty.
template <typename TString, typename TFill>
TString GrowingCall(TFill fill) {
  for (TString buf(MAX_PATH, 0);; buf.resize(buf.size() * 2)) {
    const DWORD n = fill(buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    if (buf.size() >= 32768 * 4) return TString();
  }
}

std::wstring FullPathOf(const std::wstring& path) {
  return GrowingCall<std::wstring>(
      [&path](wchar_t* buf, DWORD size) { return GetFullPathNameW(path.c_str(), size, buf, nullptr); });
}

// The name as it was typed, when the argument it points at still holds it:
// the typed text, narrowed to the ANSI code page, must equal Text, or else
// the argument is not this name's (a test's own argument table, a value cut
// short) and Text itself is used. The offset only ever skips a switch of
// ASCII letters, which is as many characters in the wide form as in bytes.
// An Argument of -1 (not typed) turns into the largest size, past them all.
std::wstring TypedName(const TFileName& name) {
  const std::size_t at = static_cast<std::size_t>(name.Argument);
  if (at < gTypedArgs.size() && name.Offset <= gTypedArgs[at].size()) {
    std::wstring typed = gTypedArgs[at].substr(name.Offset);
    if (Narrow(typed) == name.Text) return typed;
  }
  return Widen(name.Text);
}

// What the wide file API is given for a name.
std::wstring SystemName(const TFileName& name) {
  std::wstring typed = TypedName(name);
  return LongPathForm(typed, FullPathOf(typed));
}

// The locale's value into *setting; where it has none, the default stays.
void ReadLocaleText(LCTYPE what, std::string* setting) {
  char buf[128];
  const int n = GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, what, buf, sizeof buf);
  if (n > 1) setting->assign(buf, static_cast<std::size_t>(n - 1));
}

// What the pause watches: a console, or a redirected stdin under the rule
// that data or its end counts as a key.
struct TKeyWatch {
  HANDLE Input = INVALID_HANDLE_VALUE;
  bool IsConsole = false;
};
TKeyWatch gWatch;

}  // namespace

void PlatInitProcess(int argc, char** argv) {
  gArgs.clear();
  for (int i = 1; i < argc; ++i) gArgs.emplace_back(argv[i]);
  const wchar_t* wide = GetCommandLineW();
  gTypedArgs = CommandLineArguments(std::wstring_view(wide ? wide : L""));
  // Nothing is written through the C runtime, but should anything be, it
  // must not add a CR of its own.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // A batch run must never stop at a "drive not ready" dialog box.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}

std::vector<std::string> PlatArguments() { return gArgs; }

std::string PlatRawCommandLine() {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

std::string PlatProgramPath() {
  return GrowingCall<std::string>([](char* buf, DWORD size) {
    DWORD n = GetModuleFileNameA(nullptr, buf, size);
    // A truncated name fills the buffer exactly: ask for a bigger one.
    return n >= size ? size : n;
  });
}

bool PlatIsTerminal(TStdStream stream) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(stream == StdError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), &mode) != 0;
}

bool PlatWriteStd(TStdStream stream, const char* data, std::size_t size, std::string* err) {
  HANDLE h = GetStdHandle(stream == StdError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return Fail(err, ERROR_INVALID_HANDLE);
  // Old consoles refuse very large single writes.
  return WriteAll(h, data, size, 32768, err);
}

TLocalTime PlatNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return FromSystemTime(st);
}

bool PlatOpenRead(const TFileName& path, TPlatHandle* handle, std::string* err) {
  HANDLE h = CreateFileW(SystemName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  return Opened(h, handle, err);
}

// One ReadFile of at most 1 GiB; the offset goes in through an OVERLAPPED
// record, and without one the read is at the handle's own position.
bool PlatRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
              std::string* err) {
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD want = capacity > 0x40000000 ? 0x40000000 : static_cast<DWORD>(capacity);
  // ReadFile sets n to 0 before it tries, so a read that fails at the end has read nothing.
  DWORD n = 0;
  if (!ReadFile(ToHandle(handle), buffer, want, &n, offset < 0 ? nullptr : &at)) {
    const DWORD code = GetLastError();
    // A pipe whose writer has gone is at its end, not broken.
    if (code != ERROR_BROKEN_PIPE && code != ERROR_HANDLE_EOF) return Fail(err, code);
  }
  *got = n;
  return true;
}

bool PlatCanReadAt(TPlatHandle handle) { return GetFileType(ToHandle(handle)) == FILE_TYPE_DISK; }

bool PlatReopenRead(TPlatHandle handle, TPlatHandle* copy, std::string* err) {
  // Each thread gets a handle of its own, since reads through one
  // synchronous handle wait for each other.
  HANDLE h = ReOpenFile(ToHandle(handle), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        FILE_FLAG_SEQUENTIAL_SCAN);
  return Opened(h, copy, err);
}

bool PlatFileSize(TPlatHandle handle, std::int64_t* size, std::string* err) {
  if (!PlatCanReadAt(handle)) {
    // A device or pipe has no size.
    *size = 0;
    return true;
  }
  LARGE_INTEGER li;
  if (!GetFileSizeEx(ToHandle(handle), &li)) return FailLast(err);
  *size = li.QuadPart;
  return true;
}

bool PlatFileModified(TPlatHandle handle, TLocalTime* when, std::string* err) {
  FILETIME written;
  if (!GetFileTime(ToHandle(handle), nullptr, nullptr, &written)) return FailLast(err);
  // The zone's rules at that date (summer time included), as the file
  // listing shows it. The system's date values hold the years 1 to 9999: a
  // stamp that cannot be converted or lies outside them reads as the zero
  // date, not as an error.
  SYSTEMTIME utc, local;
  *when = TLocalTime();
  if (FileTimeToSystemTime(&written, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) &&
      local.wYear >= 1 && local.wYear <= 9999)
    *when = FromSystemTime(local);
  return true;
}

bool PlatOpenWrite(const TFileName& path, bool append, TPlatHandle* handle, std::string* err) {
  // A directory is refused by CreateFileW itself (access denied). A handle
  // with the right to append and not to write elsewhere writes every block at
  // the file's end, as O_APPEND does.
  HANDLE h = CreateFileW(SystemName(path).c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return Opened(h, handle, err);
}

bool PlatWrite(TPlatHandle handle, const char* data, std::size_t size, std::string* err) {
  return WriteAll(ToHandle(handle), data, size, 0x40000000, err);
}

bool PlatClose(TPlatHandle handle, std::string* err) { return CloseHandle(ToHandle(handle)) || FailLast(err); }

TPathKind PlatQueryPath(const TFileName& path) {
  if (path.Text.empty()) return TPathKind::Missing;
  DWORD attrs = GetFileAttributesW(SystemName(path).c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES)
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Directory : TPathKind::File;
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return TPathKind::Missing;
    default:
      return TPathKind::OtherError;
  }
}

TPathKind PlatSearchDirectory(const TFileName& path) {
  // A wildcard would turn the search into a pattern match; no file is
  // named with one.
  std::wstring typed = TypedName(path);
  // Without a separator, npos + 1 is 0 and the name is the whole text.
  std::wstring name = typed.substr(typed.find_last_of(L"/\\:") + 1);
  if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return TPathKind::Missing;
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileExW(LongPathForm(typed, FullPathOf(typed)).c_str(), FindExInfoBasic, &found,
                              FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return TPathKind::Missing;
  FindClose(h);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? TPathKind::Directory : TPathKind::File;
}

std::string PlatFullPath(const TFileName& path) {
  std::wstring full = FullPathOf(TypedName(path));
  return full.empty() ? path.Text : Narrow(full);
}

TLocaleFormats PlatDefaultLocale() {
  TLocaleFormats f;
  ReadLocaleText(LOCALE_SDATE, &f.DateSeparator);
  ReadLocaleText(LOCALE_STIME, &f.TimeSeparator);
  ReadLocaleText(LOCALE_STHOUSAND, &f.ThousandSeparator);
  ReadLocaleText(LOCALE_SSHORTDATE, &f.ShortDatePicture);
  for (int i = 0; i < 12; ++i) ReadLocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + i), &f.ShortMonthNames[i]);
  return f;
}

std::string PlatOutOfMemoryText() { return ErrorText(ERROR_NOT_ENOUGH_MEMORY); }

// Large pages need the lock-pages privilege, which accounts seldom have.
bool PlatLargePagesOffered() { return false; }
void PlatAdviseLargePages(void*, std::size_t) {}

int PlatUsableProcessors() {
  DWORD_PTR process = 0, system = 0;
  if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return 1;
  const int count = std::popcount(process);
  return count > 0 ? count : 1;
}

void PlatCaseFoldTable(unsigned char table[256]) {
  for (int c = 0; c < 256; ++c) {
    char b = static_cast<char>(c);
    CharLowerBuffA(&b, 1);
    table[c] = static_cast<unsigned char>(b);
  }
}

void PlatKeyWatchStart() {
  gWatch.Input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode;
  gWatch.IsConsole =
      gWatch.Input != INVALID_HANDLE_VALUE && gWatch.Input != nullptr && GetConsoleMode(gWatch.Input, &mode);
  if (gWatch.IsConsole) FlushConsoleInputBuffer(gWatch.Input);
}

bool PlatKeyPending() {
  HANDLE h = gWatch.Input;
  // No standard input at all: nobody can press a key, so do not wait.
  if (h == INVALID_HANDLE_VALUE || h == nullptr) return true;
  if (gWatch.IsConsole) {
    INPUT_RECORD events[64];
    DWORD n = 0;
    if (!PeekConsoleInputA(h, events, 64, &n)) return true;
    for (DWORD i = 0; i < n; ++i)
      if (events[i].EventType == KEY_EVENT && events[i].Event.KeyEvent.bKeyDown) return true;
    // Mouse, focus and key-up events: drop them so the buffer cannot fill.
    if (n > 0) ReadConsoleInputA(h, events, n, &n);
    return false;
  }
  // Not a console: data or the end of input both end the pause, so a batch
  // run with stdin from a file or the null device never stalls.
  if (GetFileType(h) != FILE_TYPE_PIPE) return true;
  DWORD available = 0;
  if (!PeekNamedPipe(h, nullptr, 0, nullptr, &available, nullptr)) return true;
  return available > 0;
}

void PlatKeyWatchStop() {
  if (gWatch.IsConsole) FlushConsoleInputBuffer(gWatch.Input);
  gWatch = TKeyWatch();
}

void PlatBeep() { MessageBeep(0); }
