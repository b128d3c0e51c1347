// One pass over the syslog file: entries found by the marker, names cut with
// the current profile, filtered and counted; the names go to the tally, or
// out through the hooks with -L. The scan prints nothing itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text.h"

// One counted entry, as the -L list and the -D block show it.
struct TScanEntry {
  std::int64_t Number = 0;             // counted entries so far, this one included
  std::string_view Line;               // the whole line
  std::string_view Section;            // the part the name is cut from
  std::string_view Process;            // the name
  const TCharSet* DebugSet = nullptr;  // the set the name was cut with
};

// What the scan hands out while it runs; either may be null. A hook that
// returns false ends the scan as a failure with its *err.
struct TScanHooks {
  // The date text of the first line holding the marker, when it is met.
  bool (*FirstEntry)(const std::string& date, std::string* err) = nullptr;
  // Each counted entry, in file order; only wanted with -L or -D.
  bool (*Entry)(const TScanEntry& entry, std::string* err) = nullptr;
  // Now and then: the bytes read so far, of the size at the start (below
  // 0 for an input of no size).
  void (*Progress)(std::int64_t done, std::int64_t total) = nullptr;
};

// Uses RunOptions and CurrentSyslogConfig; fills ScanResult and, without -L,
// the tally. False on a file error or a failed hook, with its description
// in *err.
bool ScanLog(const TScanHooks& hooks, std::string* err);
