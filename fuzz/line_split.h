// The plain statement of the line rule, to hold the buffered reader against:
// a line ends at CR LF, LF or a lone CR; a last line needs no terminator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}
