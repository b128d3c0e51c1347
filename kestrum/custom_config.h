// The custom layout file ("#" comments, one pipe-separated line of seven
// fields, the last one counting) and the sample of it that -X writes.
#pragma once

#include <string_view>

#include "syslog_profiles.h"

extern const char kSampleConfigHeader[];
extern const char kSampleConfigLine[];

// Reads one line of the file into the profile. False for a line that is not
// a configuration line (a "#" comment, or nothing but blanks and control
// characters), which leaves the profile as it was.
bool ApplyCustomConfigLine(std::string_view line, TSyslogConfigRec& profile);

// Reads the file into the profile. A missing file: "ERROR: File Not Found..."
// and exit code 70; a file error: the file error line and exit code 71.
void ReadCustomSyslogConfig(const TFileName& fileName, TSyslogConfigRec& profile);

// Writes the sample file (Kestrum.Input.TXT when fileName is empty),
// appending when asked and the file exists, then confirms with the full
// path. A file error: the file error line and exit code 72.
void ExportSampleConfig(const TFileName& fileName, bool append);
