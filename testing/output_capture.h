// Captures what the two console channels write, and CR LF helpers.
#pragma once

#include <string>
#include <utility>

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

// While it lives, both channels start empty and unfailed, the shared
// output channel is standard output, and flushed channel bytes land in Text
// (standard output) and ErrorText (standard error) instead of the console.
// The channels and the shared output as they were before come back when it
// goes, so that captures nest.
struct TOutputCapture {
  std::string Text;
  std::string ErrorText;
  TChannel SavedOut = std::move(StdOutChannel());
  TChannel SavedErr = std::move(ErrorChannel());
  bool SharedWasError = &Out() == &ErrorChannel();
  TOutputCapture() {
    StdOutChannel() = TChannel{StdOutput, {}, false, {}, &Text};
    ErrorChannel() = TChannel{StdError, {}, false, {}, &ErrorText};
    ResetSharedOutput();
  }
  ~TOutputCapture() {
    if (SharedWasError)
      PointSharedOutputAtError();
    else
      ResetSharedOutput();
    StdOutChannel() = std::move(SavedOut);
    ErrorChannel() = std::move(SavedErr);
  }
  TOutputCapture(const TOutputCapture&) = delete;
  TOutputCapture& operator=(const TOutputCapture&) = delete;
  const std::string& Get() {
    FlushAll();
    return Text;
  }
  const std::string& GetErrors() {
    FlushAll();
    return ErrorText;
  }
};
