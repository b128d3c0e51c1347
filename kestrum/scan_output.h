// What the scan shows while it runs: the progress text at the first entry,
// the -L list and the -D blocks.
#pragma once

#include <string>

#include "scan_pass.h"

// The hooks the run's scan prints through, for the run's options.
TScanHooks RunScanHooks();

// The run's scan of the syslog file, by the run's options and profile:
// ScanFile printing through the shared output channel (the progress text
// unless -L; the name with -L; the block with -D), and filling ScanResult.
// False on a file error, or when the output could not be written.
bool ScanSyslogFile(std::string* err);
