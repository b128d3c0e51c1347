// Helpers shared by the Kestrum tests.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "channels.h"
#include "process_runner.h"

// Test texts are written with "\n"; the programs write CR LF.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The timing block's clock readings differ per run: check their form and
// replace them with fixed words.
inline std::string MaskClock(const std::string& out) {
  static const std::regex stamp(R"((Start Time|End Time) (\.+) \d\d/\d\d/\d{4} \d\d:\d\d:\d\d\.\d{3})");
  static const std::regex elapsed(R"(Elapsed Time (\.+) +\d\d+:\d\d:\d\d\.\d{3})");
  std::string s = std::regex_replace(out, stamp, "$1 $2 <clock>");
  return std::regex_replace(s, elapsed, "Elapsed Time $1 <elapsed>");
}

inline std::string MaskFileTime(const std::string& out) {
  static const std::regex stamp(R"(\d\d/\d\d/\d{4} at \d\d:\d\d:\d\d)");
  return std::regex_replace(out, stamp, "<mtime>");
}

inline TProcessResult RunKestrum(const std::vector<std::string>& args,
                                 const TProcessOptions& options = TProcessOptions()) {
  return RunProgram(KESTRUM_EXE, args, options);
}

// Captures what the shared output channel writes while it lives.
struct TOutputCapture {
  std::string Text;
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
  }
  const std::string& Get() {
    FlushAll();
    return Text;
  }
  std::string ErrorText;
};
