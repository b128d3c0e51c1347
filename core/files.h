// File helpers shared by both programs.
#pragma once

#include <string>

// True when the path names an existing file that is not a directory. A
// failed query that does not prove the path missing (a lock, say) falls
// back to looking the name up in its directory.
bool FileExists(const std::string& path);
