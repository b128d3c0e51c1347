#include "scanner.h"

#include <cstdio>
#include <vector>

#include "channels.h"
#include "line_reader.h"
#include "marker_search.h"
#include "report.h"
#include "run_state.h"
#include "syslog_profiles.h"
#include "tally.h"

namespace {

struct TEntryParts {
  std::string_view Section;  // ThisSection
  std::string_view Process;  // ThisProcess
  const TCharSet* DebugSet;
};

// The profile's two delimiter sets, made ready once per scan.
struct TEntryCutters {
  TWordCutter First, Second;
};

TEntryParts CutEntry(std::string_view line, const TSyslogConfigRec& p, const TEntryCutters& cut) {
  TEntryParts e;
  if (p.Index_2 == -1) {
    e.Section = line;
    e.Process = TrimmedWordOf(line, cut.First, p.Index_1);
    e.DebugSet = &p.Delimiter_1;
  } else {
    e.Section = TrimmedWordOf(line, cut.First, p.Index_1);
    e.Process = TrimmedWordOf(e.Section, cut.Second, p.Index_2);
    e.DebugSet = &p.Delimiter_2;
  }
  if (!e.Process.empty() && e.Process.back() == ':') e.Process.remove_suffix(1);
  return e;
}

// The -S test: ASCII letter case ignored, whole name or anywhere in it.
bool PassesSearch(std::string_view name, std::string_view search, bool exact) {
  if (exact) return EqualsIgnoreCase(name, search);
  for (std::size_t i = 0; i + search.size() <= name.size(); ++i)
    if (EqualsIgnoreCase(name.substr(i, search.size()), search)) return true;
  return false;
}

void PrintProgress(const std::string& since) {
  TChannel& out = Out();
  Write(out, "Processing ");
  Write(out, SyslogChoiceName(CurrentSyslogConfig.Kind));
  Write(out, " Syslog...  Please Wait...");
  WriteLineEnd(out);
  WriteLineEnd(out);
  Write(out, "Tally of [MAJOR] Scripts Used since ");
  WriteLine(out, since);
  PrintRule80('=');
}

void PrintDebugBlock(std::int64_t count, std::string_view line, const TEntryParts& e) {
  TChannel& out = Out();
  PrintRule80('-');
  Write(out, " Current Line# ..... ");
  WriteLine(out, std::to_string(count));
  Write(out, " Original .......... ");
  WriteLine(out, line);
  Write(out, " ThisSection ....... ");
  WriteLine(out, e.Section);
  Write(out, " ThisProcess ....... ");
  WriteLine(out, e.Process);
  PrintRule80('-');
  for (int k = 1; k <= 19; ++k) {
    char label[32];
    std::snprintf(label, sizeof label, " ThisSection - %2d ... ", k);
    Write(out, label);
    WriteLine(out, TrimmedWordOf(e.Section, *e.DebugSet, k));
  }
  PrintRule80('=');
  WriteLineEnd(out);
}

// Offset just past the line end at t (CR LF counts as one).
std::size_t PastLineEnd(std::string_view block, std::size_t t) {
  if (t >= block.size()) return block.size();
  if (block[t] == '\r' && t + 1 < block.size() && block[t + 1] == '\n') return t + 2;
  return t + 1;
}

std::size_t LineStart(std::string_view block, std::size_t from, std::size_t hit) {
  while (hit > from && block[hit - 1] != '\n' && block[hit - 1] != '\r') --hit;
  return hit;
}

}  // namespace

bool ScanSyslogFile(std::string* err) {
  const TRunOptions& opt = RunOptions;
  const TSyslogConfigRec& profile = CurrentSyslogConfig;
  TScanResult& result = ScanResult;
  result = TScanResult();

  TLineReader reader;
  if (!OpenLineReader(reader, opt.SyslogFileName)) {
    *err = reader.ErrorText;
    return false;
  }

  // A marker holding a line end can never occur inside a line.
  std::string_view marker = opt.Marker;
  bool markerUsable = !marker.empty() && marker.find_first_of("\r\n") == std::string_view::npos;
  TMarkerSearch search;
  InitMarkerSearch(search, markerUsable ? marker : std::string_view());
  const TEntryCutters cutters{WordCutterOf(profile.Delimiter_1), WordCutterOf(profile.Delimiter_2)};
  bool firstEntry = true;
  bool sawMarkerLine = false;
  std::string lastMarkerLine;

  // Names are tallied a block at a time (they point into the block), which
  // lets the tally fetch its memory ahead on big tables.
  std::vector<std::string_view> names;
  std::string_view block;
  bool limitReached = result.EntryCount >= opt.MaxEntries;
  while (!limitReached && ReadLineBlock(reader, &block)) {
    std::string_view lastInBlock;
    bool markerInBlock = false;
    std::size_t pos = 0;
    while (pos < block.size()) {
      std::size_t hit = FindMarker(search, block, pos);
      if (hit == std::string_view::npos) break;
      // Mostly the marker stands in the line that starts at pos: its end,
      // found forward, also settles the start without a walk back.
      std::size_t start = pos;
      std::size_t end = FindLineEnd(block, pos);
      if (end < hit) {
        start = LineStart(block, pos, hit);
        end = FindLineEnd(block, hit);
      }
      std::string_view line = block.substr(start, end - start);
      pos = PastLineEnd(block, end);
      markerInBlock = true;
      lastInBlock = line;

      TEntryParts e = CutEntry(line, profile, cutters);
      if (firstEntry && !opt.ListOnly) {
        firstEntry = false;
        result.FirstEntryDate = EntryDateText(line, profile);
        PrintProgress(result.FirstEntryDate);
      }
      if (e.Process.empty()) continue;
      if (opt.SearchGiven && !PassesSearch(e.Process, opt.SearchText, opt.ExactMatch)) continue;
      ++result.EntryCount;
      if (opt.ListOnly)
        WriteLine(Out(), e.Process);
      else
        names.push_back(e.Process);
      if (opt.Debug) PrintDebugBlock(result.EntryCount, line, e);
      if (result.EntryCount >= opt.MaxEntries) {
        limitReached = true;
        break;
      }
    }
    if (!names.empty()) {
      AddNamesToTally(names.data(), names.size());
      names.clear();
    }
    if (markerInBlock) {
      lastMarkerLine.assign(lastInBlock);
      sawMarkerLine = true;
    }
    // Nobody reads the list any more (closed pipe, full disk): stop here.
    if (Out().Failed) break;
  }
  if (Out().Failed) {
    *err = Out().ErrorText;
    CloseLineReader(reader);
    return false;
  }
  if (reader.Failed) {
    *err = reader.ErrorText;
    CloseLineReader(reader);
    return false;
  }

  TLocalTime modified;
  if (!FileSizeOf(reader, &result.FileSize) || !FileModifiedOf(reader, &modified) ||
      !CloseLineReader(reader)) {
    *err = reader.ErrorText;
    CloseLineReader(reader);
    return false;
  }
  result.FileTimestamp = DateTimeOf(modified);
  // The last line that held the marker (with -M reached: the last counted one).
  result.LastEntryDate = EntryDateText(sawMarkerLine ? lastMarkerLine : std::string(), profile);
  return true;
}
