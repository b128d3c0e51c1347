// POSIX-only ways to run a built program with a standard output that
// fails: a path such as /dev/full, or a pipe nobody reads any more.
#pragma once

#include <string>
#include <vector>

#include "process_runner.h"

// Standard output opened on the path; Out stays empty.
TProcessResult RunWithStdoutOn(const std::string& program, const std::vector<std::string>& args,
                               const std::string& stdoutPath);

// Standard output is a pipe whose reading end is closed before the program
// starts, so its first write fails; Out stays empty.
TProcessResult RunWithClosedStdout(const std::string& program, const std::vector<std::string>& args);
