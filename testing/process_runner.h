// Runs a built program as a separate process for golden tests: standard
// input from the null device (or a file), output and error captured apart.
#pragma once

#include <string>
#include <vector>

struct TProcessResult {
  bool Started = false;
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

struct TProcessOptions {
  std::string WorkDir;    // empty: the current directory
  std::string StdinPath;  // empty: the null device
};

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options = TProcessOptions());
