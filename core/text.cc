#include "text.h"

#include <cstring>

TCharSet CharSetOf(std::string_view text) {
  TCharSet set;
  for (unsigned char c : text) set.Has[c] = true;
  return set;
}

std::string_view WordOf(std::string_view text, const TCharSet& delims, long long n) {
  if (n < 1) return {};
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + text.size();
  long long count = 0;
  for (;;) {
    while (p < end && delims.Has[*p]) ++p;
    if (p == end) return {};
    const unsigned char* start = p;
    while (p < end && !delims.Has[*p]) ++p;
    if (++count == n)
      return std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
  }
}

std::string_view Trim(std::string_view text) {
  std::size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
  return text.substr(b, e - b);
}

std::string RepeatChar(char c, long long count) {
  return count > 0 ? std::string(static_cast<std::size_t>(count), c) : std::string();
}

namespace {

char LowerByte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
char UpperByte(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace

std::string ReplaceText(std::string_view text, std::string_view old, std::string_view replacement,
                        bool firstOnly) {
  if (old.empty() || old.size() > text.size()) return std::string(text);
  std::string result;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + old.size() <= text.size() && EqualsIgnoreCase(text.substr(i, old.size()), old)) {
      result.append(replacement);
      i += old.size();
      if (firstOnly) break;
    } else {
      result.push_back(text[i++]);
    }
  }
  result.append(text.substr(i));
  return result;
}

std::string QuoteIfNeeded(std::string_view text) {
  if (text.empty() || text.find(' ') != std::string_view::npos) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted.append(text);
    quoted += '"';
    return quoted;
  }
  return std::string(text);
}

std::string UpperAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = UpperByte(c);
  return s;
}

std::string LowerAscii(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = LowerByte(c);
  return s;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerByte(a[i]) != LowerByte(b[i])) return false;
  return true;
}

std::string_view FileNamePart(std::string_view path) {
  std::size_t cut = path.find_last_of("/\\");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}
