// The scan of one syslog file: entries found by the marker, names cut with
// the profile, filtered and counted, by one pass or by several workers. The
// names go to the tally, or out through the hooks with -L; the scan prints
// nothing itself.
#pragma once

#include <string>

#include "run_state.h"
#include "scan_pass.h"

// Fills the result (with the finished tally, without -L) from the file the
// setup's options name. False on a file error or a failed hook, with its
// description in *err.
bool ScanFile(const TScanSetup& setup, const TScanHooks& hooks, TScanResult& result, std::string* err);
