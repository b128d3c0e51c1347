// Helpers shared by the Kestrum tests.
#pragma once

#include <regex>
#include <string>
#include <vector>

#include "output_capture.h"
#include "process_runner.h"
#include "tally.h"
#include "text.h"

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

// An NxLog entry line naming the job, without its line end and with it.
inline std::string NxLine(const std::string& name, const std::string& time = "08:00:00",
                          const char* marker = "<158>") {
  return std::string(marker) + "1 2026-12-07 " + time + " SRV ORVELLA - - [MAJOR] Script: " + name + " Dec 07";
}
inline std::string NxEntry(const std::string& name, const std::string& time = "08:00:00",
                           const char* marker = "<158>") {
  return NxLine(name, time, marker) + "\r\n";
}

inline TProcessResult RunKestrum(const std::vector<std::string>& args,
                                 const TProcessOptions& options = TProcessOptions()) {
  return RunProgram(KESTRUM_EXE, args, options);
}

// A finished tally's names and counts as plain arrays, to compare whole.
inline TStringArray TallyNameList(const TFinishedTally& tally) {
  TStringArray names;
  for (std::size_t i = 0; i < tally.Size(); ++i) names.emplace_back(tally.Name(i));
  return names;
}
inline std::vector<std::int64_t> TallyCountList(const TFinishedTally& tally) {
  std::vector<std::int64_t> counts;
  for (std::size_t i = 0; i < tally.Size(); ++i) counts.push_back(tally.Count(i));
  return counts;
}
