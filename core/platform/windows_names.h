// How Windows turns typed text into names, as rules on plain text: the C
// runtime's split of a command line into arguments, and the \\?\ form of a
// path that the old length limit does not reach. Nothing here needs Windows,
// so the rules are tested everywhere; the win32 platform side applies them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The arguments after the program name, as the C runtime splits the line
// for main's argv: blanks and tabs separate; double quotes group and vanish,
// and two of them inside a group give one; backslashes are literal except
// before a double quote, where each pair gives one backslash and an odd one
// left over makes the quote literal. The program name ends at the first
// blank or tab outside quotes, and its backslashes are always literal.
// Only ASCII marks the rules, so a byte line in any code page and the wide
// line split alike: argument N of one is argument N of the other.
std::vector<std::string> CommandLineArguments(std::string_view line);
std::vector<std::wstring> CommandLineArguments(std::wstring_view line);

// Paths this long or longer fail in the file API unless the machine has the
// long-path policy set (MAX_PATH, the terminating NUL included).
constexpr std::size_t kLegacyPathLimit = 260;

// What to hand the wide file API for a file typed as `typed`, whose full
// path `full` is as GetFullPathNameW makes it (empty when that failed):
// - a name typed in \\?\ form: as typed, since the user chose that form;
// - typed and full both shorter than kLegacyPathLimit: as typed, so the
//   API reads it as it always has;
// - a full path on a drive: \\?\ and the full path; on a share
//   (\\server\share\...): \\?\UNC\server\share\...;
// - anything else (a device, such as \\.\NUL): as typed.
// The \\?\ form skips the API's own normalising (/ to \, . and .., trailing
// dots and blanks); the full path has had it already, so both forms name
// the same file.
std::wstring LongPathForm(std::wstring_view typed, std::wstring_view full);
