// POSIX-only ways to run a built program with a standard output that
// fails: a path such as /dev/full, or a pipe nobody reads any more.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "process_runner.h"
#include "test_files.h"

// Standard output opened on the path; Out stays empty.
TProcessResult RunWithStdoutOn(const std::string& program, const std::vector<std::string>& args,
                               const std::string& stdoutPath);

// Standard output is a pipe whose reading end is closed before the program
// starts, so its first write fails; Out stays empty.
TProcessResult RunWithClosedStdout(const std::string& program, const std::vector<std::string>& args);

// A named pipe under a fresh scratch name, removed with the object. Path is
// empty when the pipe could not be made.
struct TFifo {
  std::string Path;
  TFifo() {
    Path = TScratchFile("", "fifo").Name();  // a fresh name; the file itself is gone again
    if (mkfifo(Path.c_str(), 0600) != 0) Path.clear();
  }
  ~TFifo() {
    if (!Path.empty()) unlink(Path.c_str());
  }
};
