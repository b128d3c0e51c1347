// What the scan shows while it runs: the progress text at the first entry,
// the -L list and the -D blocks.
#pragma once

#include <string>

#include "scanner.h"

// "Processing ..." and the "Tally of" heading with the first entry's date.
void PrintProgress(const std::string& since);

// The -D breakdown of one counted entry.
void PrintDebugBlock(const TScanEntry& entry);

// The run's scan: ScanLog printing through the shared output channel (the
// progress text unless -L; the name with -L; the block with -D). False on a
// file error, or when the output could not be written.
bool ScanSyslogFile(std::string* err);
