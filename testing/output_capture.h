// Captures what the two console channels write, and CR LF helpers.
#pragma once

#include <string>

#include "channels.h"

// Test texts are written with "\n"; the programs write CR LF.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// While it lives, flushed channel bytes land in Text (standard output) and
// ErrorText (standard error) instead of the console.
struct TOutputCapture {
  std::string Text;
  std::string ErrorText;
  TOutputCapture() {
    ResetSharedOutput();
    StdOutChannel().Buffer.clear();
    ErrorChannel().Buffer.clear();
    StdOutChannel().Capture = &Text;
    ErrorChannel().Capture = &ErrorText;
  }
  ~TOutputCapture() {
    StdOutChannel().Buffer.clear();
    ErrorChannel().Buffer.clear();
    StdOutChannel().Capture = nullptr;
    ErrorChannel().Capture = nullptr;
    ResetSharedOutput();
  }
  const std::string& Get() {
    FlushAll();
    return Text;
  }
  const std::string& GetErrors() {
    FlushAll();
    return ErrorText;
  }
};
