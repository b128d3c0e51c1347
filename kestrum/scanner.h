// One pass over the syslog file: entries found by the marker, names cut with
// the current profile, filtered, counted and tallied (or listed with -L).
#pragma once

#include <string>

// Uses RunOptions and CurrentSyslogConfig; fills ScanResult and the tally,
// and prints the progress text, the -L list and the -D blocks. False on a
// file error, with its description in *err.
bool ScanSyslogFile(std::string* err);
