// Runs a built program as a separate process for golden tests: standard
// input from the null device (or a file), output and error captured apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TProcessResult {
  bool Started = false;
  int ExitCode = -1;
  std::string Out;
  std::string Err;
  std::int64_t PeakMemoryBytes = -1;  // the program's peak resident memory; -1: not measured
};

struct TProcessOptions {
  std::string WorkDir;     // empty: the current directory
  std::string StdinPath;   // empty: the null device
  std::string StdoutPath;  // empty: captured in Out
  // POSIX: the program's address space is limited to this (0: no limit), so
  // that running out of memory can be provoked.
  std::int64_t MemoryLimitBytes = 0;
};

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options = TProcessOptions());
