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
// ErrorText (standard error) instead of the console; the channels as they
// were come back when it goes, so that captures nest.
struct TOutputCapture {
  std::string Text;
  std::string ErrorText;
  TChannelCapture Channels{&Text, &ErrorText};
  const std::string& Get() {
    FlushAll();
    return Text;
  }
  const std::string& GetErrors() {
    FlushAll();
    return ErrorText;
  }
};
