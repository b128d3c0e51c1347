// POSIX side of the platform layer: what Linux needs to behave like the
// Windows console the programs were made for. File names are bytes here, so
// a name's Text is exactly what was typed.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"

namespace {

std::vector<std::string> gArgs;
std::string gArgv0;

bool Fail(std::string* err, int code) {
  if (err) *err = std::strerror(code);
  return false;
}

// Calls read, pread or write again while a signal interrupts it.
template <typename TCall>
ssize_t Retried(TCall call) {
  ssize_t n = call();
  while (n < 0 && errno == EINTR) n = call();
  return n;
}

bool WriteAll(int fd, const char* data, std::size_t size, std::string* err) {
  while (size > 0) {
    const ssize_t n = Retried([&] { return write(fd, data, size); });
    if (n < 0) return Fail(err, errno);
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

TLocalTime FromTimespec(const timespec& ts) {
  struct tm parts;
  time_t secs = ts.tv_sec;
  // The system's date values hold the years 1 to 9999. A time outside them
  // (a file stamped millions of years ahead) has no date there and reads as
  // the zero date rather than overflowing.
  if (!localtime_r(&secs, &parts) || parts.tm_year < 1 - 1900 || parts.tm_year > 9999 - 1900) return TLocalTime();
  return {.Year = parts.tm_year + 1900,
          .Month = parts.tm_mon + 1,
          .Day = parts.tm_mday,
          .Hour = parts.tm_hour,
          .Minute = parts.tm_min,
          .Second = parts.tm_sec,
          .Millisecond = static_cast<int>(ts.tv_nsec / 1000000)};
}

// Terminal state kept while the pause watches a terminal's keyboard, so
// every way out (including a signal) can give the user a working terminal
// back. Active only while the terminal is raw and the handlers are in place.
struct TKeyWatch {
  bool Active = false;
  termios Saved;
  struct sigaction OldActions[4];
};
TKeyWatch gWatch;
const int kWatchSignals[4] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The terminal and the signals go back as they were, and the signal then
// does what it would have done.
void OnWatchSignal(int sig) {
  PlatKeyWatchStop();
  raise(sig);
}

}  // namespace

void PlatInitProcess(int argc, char** argv) {
  gArgs.clear();
  gArgv0 = argc > 0 && argv[0] ? argv[0] : "";
  for (int i = 1; i < argc; ++i) gArgs.emplace_back(argv[i]);
  // A closed pipe must come back as EPIPE so the program can say so.
  signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> PlatArguments() { return gArgs; }

std::string PlatRawCommandLine() {
  std::string line = gArgv0;
  for (const std::string& a : gArgs) {
    line += ' ';
    if (a.empty() || a.find(' ') != std::string::npos)
      line += '"' + a + '"';
    else
      line += a;
  }
  return line;
}

std::string PlatProgramPath() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n > 0) return std::string(buf, static_cast<std::size_t>(n));
  return PlatFullPath(gArgv0);
}

bool PlatIsTerminal(TStdStream stream) { return isatty(stream == StdError ? STDERR_FILENO : STDOUT_FILENO) == 1; }

bool PlatWriteStd(TStdStream stream, const char* data, std::size_t size, std::string* err) {
  return WriteAll(stream == StdError ? STDERR_FILENO : STDOUT_FILENO, data, size, err);
}

TLocalTime PlatNow() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return FromTimespec(ts);
}

bool PlatOpenRead(const TFileName& path, TPlatHandle* handle, std::string* err) {
  // Non-blocking open so a FIFO without a writer cannot hang the run; the
  // flag is dropped at once so reads behave normally.
  int fd = open(path.Text.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(err, errno);
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  *handle = fd;
  return true;
}

bool PlatRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
              std::string* err) {
  const int fd = static_cast<int>(handle);
  ssize_t n = Retried([&] {
    return offset < 0 ? read(fd, buffer, capacity) : pread(fd, buffer, capacity, static_cast<off_t>(offset));
  });
  // A FIFO that has no writer yet reads as empty rather than blocking.
  if (n < 0 && errno == EAGAIN) n = 0;
  if (n < 0) return Fail(err, errno);
  *got = static_cast<std::size_t>(n);
  return true;
}

bool PlatCanReadAt(TPlatHandle handle) {
  struct stat st;
  return fstat(static_cast<int>(handle), &st) == 0 && S_ISREG(st.st_mode);
}

bool PlatReopenRead(TPlatHandle handle, TPlatHandle* copy, std::string* err) {
  // Reads at offsets do not share the file position, so a duplicate will do.
  int fd = fcntl(static_cast<int>(handle), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return Fail(err, errno);
  *copy = fd;
  return true;
}

bool PlatFileSize(TPlatHandle handle, std::int64_t* size, std::string* err) {
  struct stat st;
  if (fstat(static_cast<int>(handle), &st) != 0) return Fail(err, errno);
  // A device tells its size by a seek to its end; a pipe, which cannot seek, has none.
  const off_t end = S_ISREG(st.st_mode) ? st.st_size : lseek(static_cast<int>(handle), 0, SEEK_END);
  *size = end < 0 ? 0 : end;
  return true;
}

bool PlatFileModified(TPlatHandle handle, TLocalTime* when, std::string* err) {
  struct stat st;
  if (fstat(static_cast<int>(handle), &st) != 0) return Fail(err, errno);
  *when = FromTimespec(st.st_mtim);
  return true;
}

bool PlatOpenWrite(const TFileName& path, bool append, TPlatHandle* handle, std::string* err) {
  // A directory is refused by open itself (EISDIR), as any open for writing.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
  int fd = open(path.Text.c_str(), flags, 0666);
  if (fd < 0) return Fail(err, errno);
  *handle = fd;
  return true;
}

bool PlatWrite(TPlatHandle handle, const char* data, std::size_t size, std::string* err) {
  return WriteAll(static_cast<int>(handle), data, size, err);
}

bool PlatClose(TPlatHandle handle, std::string* err) {
  // After EINTR the descriptor is released all the same (Linux), so it is no failure.
  return close(static_cast<int>(handle)) == 0 || errno == EINTR || Fail(err, errno);
}

TPathKind PlatQueryPath(const TFileName& path) {
  // An empty name fails as missing (ENOENT).
  struct stat st;
  if (stat(path.Text.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? TPathKind::Directory : TPathKind::File;
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL:
      return TPathKind::Missing;
    default:
      return TPathKind::OtherError;
  }
}

TPathKind PlatSearchDirectory(const TFileName& path) {
  std::filesystem::path p(path.Text);
  std::string dir = p.has_parent_path() ? p.parent_path().string() : ".";
  std::string name = p.filename().string();
  DIR* d = opendir(dir.c_str());
  if (!d) return TPathKind::Missing;
  TPathKind kind = TPathKind::Missing;
  while (dirent* e = readdir(d)) {
    if (name != e->d_name) continue;
    kind = e->d_type == DT_DIR ? TPathKind::Directory : TPathKind::File;
    break;
  }
  closedir(d);
  return kind;
}

std::string PlatFullPath(const TFileName& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path.Text, ec);
  return ec ? path.Text : p.lexically_normal().string();
}

// Linux has no system default locale in the Windows sense; the programs
// promise English conventions there.
TLocaleFormats PlatDefaultLocale() { return TLocaleFormats(); }

std::string PlatOutOfMemoryText() { return std::strerror(ENOMEM); }

bool PlatLargePagesOffered() {
#ifdef MADV_HUGEPAGE
  return true;
#else
  return false;
#endif
}

void PlatAdviseLargePages(void* p, std::size_t size) {
#ifdef MADV_HUGEPAGE
  (void)madvise(p, size, MADV_HUGEPAGE);  // a kernel without them refuses, and the pages stay small
#else
  (void)p;
  (void)size;
#endif
}

int PlatUsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int count = CPU_COUNT(&set);
  return count > 0 ? count : 1;
}

void PlatCaseFoldTable(unsigned char table[256]) {
  // Windows-1252, the code page the log files are written in.
  for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) table[c] = static_cast<unsigned char>(c + 32);
  table[0x8A] = 0x9A;
  table[0x8C] = 0x9C;
  table[0x8E] = 0x9E;
  table[0x9F] = 0xFF;
}

void PlatKeyWatchStart() {
  gWatch = TKeyWatch();
  if (isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &gWatch.Saved) == 0) {
    gWatch.Active = true;
    struct sigaction sa = {};
    sa.sa_handler = OnWatchSignal;
    sigemptyset(&sa.sa_mask);
    for (int i = 0; i < 4; ++i) sigaction(kWatchSignals[i], &sa, &gWatch.OldActions[i]);
    termios raw = gWatch.Saved;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    tcflush(STDIN_FILENO, TCIFLUSH);
  }
}

bool PlatKeyPending() {
  pollfd p = {STDIN_FILENO, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return false;
  // Not a terminal: data or the end of input both end the pause, so a batch
  // run with stdin from a file or /dev/null never stalls.
  return (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void PlatKeyWatchStop() {
  if (!gWatch.Active) return;
  tcflush(STDIN_FILENO, TCIFLUSH);
  tcsetattr(STDIN_FILENO, TCSANOW, &gWatch.Saved);
  for (int i = 0; i < 4; ++i) sigaction(kWatchSignals[i], &gWatch.OldActions[i], nullptr);
  gWatch.Active = false;
}

void PlatBeep() {
  int fd = open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  ssize_t ignored = write(fd, "\a", 1);
  (void)ignored;
  close(fd);
}
