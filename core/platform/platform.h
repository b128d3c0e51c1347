// The only door to the operating system. Plain structs and free functions;
// each OS folder (posix/, win32/) defines every one of them, so a missing
// function is a link error on that OS rather than a silent fallback.
//
// Functions that can fail return false and put a readable description of
// the failure in *err (never errno or a DWORD); callers pick the message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A calendar moment in local time.
struct TLocalTime {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Date, time and number conventions of the system's default locale. The
// defaults are the English ones, which a locale keeps where it has no value.
struct TLocaleFormats {
  std::string DateSeparator = "/";
  std::string TimeSeparator = ":";
  std::string ThousandSeparator = ",";
  std::string ShortDatePicture = "M/d/yyyy";    // as the system words it
  std::string ShortDatePattern = "mm/dd/yyyy";  // the same for the date reader (the core converts)
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
};

enum TStdStream { StdOutput = 1, StdError = 2 };

// Opaque file handle; -1 means none.
typedef std::intptr_t TPlatHandle;
constexpr TPlatHandle NoPlatHandle = -1;

// What a path names. OtherError: the query failed for a reason that does not
// prove the path missing (a lock, a permission), so the caller looks again.
enum class TPathKind { File, Directory, Missing, OtherError };

// A file name, and where on the command line it was typed: argument
// Argument of PlatArguments from byte Offset on (-1: not typed there). Text
// is the name as the programs hold and print it. The file calls below open
// by what was typed, since Text may have lost part of it (Windows: what the
// ANSI code page cannot hold), and by Text when the two do not read alike.
// They take paths of any length.
struct TFileName {
  std::string Text;
  int Argument = -1;
  std::size_t Offset = 0;

  TFileName() = default;
  // Names made in the program, and tests: Text is all there is.
  TFileName(std::string text) : Text(std::move(text)) {}
  TFileName(const char* text) : Text(text) {}
  TFileName(std::string text, int argument, std::size_t offset)
      : Text(std::move(text)), Argument(argument), Offset(offset) {}
};

// Process set-up before anything else runs: keeps argv (and, on Windows, the
// arguments as typed), makes the standard streams binary, and makes a
// closed output pipe an error result, not a signal.
void PlatInitProcess(int argc, char** argv);

// The command-line arguments after the program name.
std::vector<std::string> PlatArguments();

// The command line as typed (POSIX rebuilds it, quoting arguments with blanks).
std::string PlatRawCommandLine();

// Full path of the running program file.
std::string PlatProgramPath();

// True when the standard stream is an interactive terminal (a console).
bool PlatIsTerminal(TStdStream stream);

// Unbuffered write of the whole range to a standard stream, bytes as given.
bool PlatWriteStd(TStdStream stream, const char* data, std::size_t size, std::string* err);

TLocalTime PlatNow();

// Read-only open that lets other processes keep the file open for writing.
bool PlatOpenRead(const TFileName& path, TPlatHandle* handle, std::string* err);
// A read at the handle's own position when offset is below 0; else at the
// offset, for files that PlatCanReadAt says allow it. Where a read at an
// offset leaves the handle's position differs (Windows moves it, POSIX does
// not), so a reader of one handle keeps to one of the two. *got is 0 only
// at the end of the file.
bool PlatRead(TPlatHandle handle, std::int64_t offset, char* buffer, std::size_t capacity, std::size_t* got,
              std::string* err);
// True for a regular disk file, which can be read at offsets and has a
// size, so that its reading can be shared out among threads.
bool PlatCanReadAt(TPlatHandle handle);
// A second read handle on the same open file, for a thread of its own.
bool PlatReopenRead(TPlatHandle handle, TPlatHandle* copy, std::string* err);
bool PlatFileSize(TPlatHandle handle, std::int64_t* size, std::string* err);
bool PlatFileModified(TPlatHandle handle, TLocalTime* when, std::string* err);
// Creates (replacing) or, with append, opens for writing at the end.
bool PlatOpenWrite(const TFileName& path, bool append, TPlatHandle* handle, std::string* err);
bool PlatWrite(TPlatHandle handle, const char* data, std::size_t size, std::string* err);
// Always releases the handle; false reports a failure while closing.
bool PlatClose(TPlatHandle handle, std::string* err);

TPathKind PlatQueryPath(const TFileName& path);
// Lists the path's directory for an entry of exactly that name.
TPathKind PlatSearchDirectory(const TFileName& path);

// Absolute form of a path against the current directory, in the OS's own
// separators; in the programs' 8-bit text, as Text is.
std::string PlatFullPath(const TFileName& path);

TLocaleFormats PlatDefaultLocale();

// Lower-case partner of every byte in the ANSI code page (identity where
// there is none): the case-insensitive equality of names.
void PlatCaseFoldTable(unsigned char table[256]);

// The system's own wording for running out of memory.
std::string PlatOutOfMemoryText();

// Whether the system backs memory with large pages when asked to
// (PlatAdviseLargePages), and does so for any account.
bool PlatLargePagesOffered();
// Asks the system to back the memory, which starts on a large page, with
// large pages where it can; only a hint.
void PlatAdviseLargePages(void* p, std::size_t size);

// How many processors this process may run on (its affinity), at least 1.
int PlatUsableProcessors();

// Keyboard watch for the pause: start and stop discard typed-ahead input.
void PlatKeyWatchStart();
bool PlatKeyPending();
void PlatKeyWatchStop();
// The system's default alert; never touches standard output or error.
void PlatBeep();
