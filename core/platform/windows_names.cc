#include "platform/windows_names.h"

namespace {

template <typename TChar>
bool IsBlank(TChar c) {
  return c == TChar(' ') || c == TChar('\t');
}

template <typename TChar>
std::vector<std::basic_string<TChar>> SplitArguments(std::basic_string_view<TChar> line) {
  const TChar quote = TChar('"'), backslash = TChar('\\');
  const std::size_t n = line.size();
  std::size_t i = 0;
  // The program name is a file name: there the runtime lets quotes only
  // toggle the quoting, and takes no backslash as an escape.
  for (bool quoted = false; i < n && (quoted || !IsBlank(line[i])); ++i)
    if (line[i] == quote) quoted = !quoted;

  std::vector<std::basic_string<TChar>> args;
  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::basic_string<TChar> arg;
    bool quoted = false;
    for (;;) {
      std::size_t slashes = 0;
      for (; i < n && line[i] == backslash; ++i) ++slashes;
      if (i < n && line[i] == quote) {
        arg.append(slashes / 2, backslash);
        if (slashes % 2 == 1 || (quoted && i + 1 < n && line[i + 1] == quote)) {
          // An escaped quote, or the first of two inside a group: one quote
          // that stays, and the group goes on.
          arg += quote;
          i += slashes % 2 == 1 ? 1 : 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      arg.append(slashes, backslash);
      if (i >= n || (!quoted && IsBlank(line[i]))) break;
      arg += line[i++];
    }
    args.push_back(std::move(arg));
  }
  return args;
}

bool IsDriveRoot(std::wstring_view path) {
  return path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
         path[1] == L':' && path[2] == L'\\';
}

}  // namespace

std::vector<std::string> CommandLineArguments(std::string_view line) { return SplitArguments(line); }

std::vector<std::wstring> CommandLineArguments(std::wstring_view line) { return SplitArguments(line); }

std::wstring LongPathForm(std::wstring_view typed, std::wstring_view full) {
  std::wstring asTyped(typed);
  if (typed.starts_with(L"\\\\?\\")) return asTyped;
  if (typed.size() < kLegacyPathLimit && full.size() < kLegacyPathLimit) return asTyped;
  if (IsDriveRoot(full)) return L"\\\\?\\" + std::wstring(full);
  // A path that starts with \\?\ or \\.\ is in one of the system's own
  // forms already; any other path that starts with \\ names a share.
  if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\"))
    return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
  return asTyped;
}
