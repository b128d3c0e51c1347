// What the command line settled for this run, and what the scan found.
#pragma once

#include <cstdint>
#include <string>

#include "banner.h"
#include "dates.h"
#include "platform/platform.h"
#include "tally.h"

constexpr std::int64_t kDefaultMaxEntries = 2147483647;

// Invariants (the driver checks them in debug builds where it fills the
// record, once the command line is settled):
// - SearchText is not empty exactly when -S was given, since -S without a
//   value ends the run first. ExactMatch changes only that search, so it
//   counts only with a SearchText.
// - MaxGiven and MaxEntries: without -M, MaxEntries is kDefaultMaxEntries;
//   with -M it is the value as the number rule reads it, which gives
//   kDefaultMaxEntries again for a value it cannot read ("-M abc").
// - SortByName and SortByCount may both be set (-A -N); then neither sort
//   applies and the names stay in the order first met.
// - CustomConfigFile is the file named after --CS, or empty without --CS.
struct TRunOptions {
  TFileName SyslogFileName;      // argument 1, as typed
  std::string CustomConfigFile;  // --CS value
  std::string Marker;            // the marker the scan looks for
  bool Debug = false;            // -D
  bool ListOnly = false;         // -L
  bool SortByName = false;       // -A
  bool SortByCount = false;      // -N
  bool UseCommas = true;         // off with -O
  std::string SearchText;        // -S
  bool ExactMatch = false;       // -E
  bool MaxGiven = false;         // -M
  std::int64_t MaxEntries = kDefaultMaxEntries;
};

struct TScanResult {
  TFinishedTally Tally;  // empty with -L
  std::int64_t EntryCount = 0;
  std::string FirstEntryDate;
  std::string LastEntryDate;
  std::int64_t FileSize = 0;
  TDateTime FileTimestamp;
};

extern TRunOptions RunOptions;
extern TFileVersionInfoRec VersionInfo;
extern TScanResult ScanResult;
