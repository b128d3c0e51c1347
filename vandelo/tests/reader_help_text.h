// The reader's help screen as fixed text, read from the files beside the
// tests (their lines end in LF, the screen's in CR LF).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "output_capture.h"

inline std::string ReaderHelpFile(const char* name) {
  std::ifstream file(std::string(VANDELO_TESTS_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The screen as printed: the short form, and for the extended one the rest.
inline std::string ReaderHelpText(bool extended) {
  const std::string rest = extended ? ReaderHelpFile("reader_help_extended_rest.txt") : "";
  return Crlf(ReaderHelpFile("reader_help_short.txt") + rest);
}
