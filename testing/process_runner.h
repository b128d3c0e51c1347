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
  // The program, arguments and WorkDir are UTF-8: Windows hands them over
  // through the wide API, so a name outside the ANSI code page arrives
  // whole. Off, they are bytes in the ANSI code page there. POSIX passes
  // bytes either way.
  bool Utf8 = false;
  // Windows: put on the command line after the arguments as it is, for
  // tests of how a program splits a command line of its own quoting.
  std::string CommandTail;
};

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options = TProcessOptions());
