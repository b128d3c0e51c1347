// The library's start-up, run before either program's main body.
#pragma once

#include <string>

// The process exit code: 0 at start, set by the programs.
extern int ExitCode;

// Directory of the running program, without trailing separator, quoted when
// it is empty or holds a blank.
extern std::string ExecutionPath;

// Exit code 0, the two channels, the execution path, the argument table and
// statistics records, and the default locale's formatting settings.
void OrvellaStartup(int argc, char** argv);

// Flushes the channels; the value main returns.
int OrvellaFinish();
