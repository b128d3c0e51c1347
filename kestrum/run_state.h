// What the command line settled for this run, and what the scan found.
#pragma once

#include <cstdint>
#include <string>

#include "banner.h"
#include "dates.h"
#include "platform/platform.h"
#include "tally.h"

constexpr std::int64_t kDefaultMaxEntries = 2147483647;

struct TRunOptions {
  TFileName SyslogFileName;      // argument 1, as typed
  std::string CustomConfigFile;  // --CS value
  std::string Marker;            // the marker the scan looks for
  bool Debug = false;            // -D
  bool Verbose = false;          // -V: build line, extended help
  bool ListOnly = false;         // -L
  bool SortByName = false;       // -A
  bool SortByCount = false;      // -N
  bool UseCommas = true;         // off with -O
  bool SearchGiven = false;      // -S
  std::string SearchText;
  bool ExactMatch = false;  // -E
  bool MaxGiven = false;    // -M
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
