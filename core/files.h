// File helpers shared by both programs.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"  // TFileName

// True when the path names an existing file that is not a directory. A
// failed query that does not prove the path missing (a lock, say) falls
// back to looking the name up in its directory.
bool FileExists(const TFileName& path);

// "File handling ERROR occurred with "<name>" -- <error>" on standard error,
// and the exit code: how both programs report a failed file operation.
void ReportFileError(const std::string& name, const std::string& error, int exitCode);

// The same line with the system's wording for running out of memory: what
// the programs report when memory gives out while they work on a file, and
// anywhere else in a run. The line each channel was writing is dropped
// first, so the output ends after its last whole line. The exit code is
// set even when the line itself finds no memory.
void ReportOutOfMemory(std::string_view name, int exitCode);
