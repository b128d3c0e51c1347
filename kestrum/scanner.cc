#include "scanner.h"

#include <vector>

#include "line_reader.h"
#include "marker_search.h"
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

std::size_t LineStart(std::string_view block, std::size_t from, std::size_t hit) {
  while (hit > from && block[hit - 1] != '\n' && block[hit - 1] != '\r') --hit;
  return hit;
}

// One pass's state.
struct TScan {
  TScan(const TRunOptions& opt, const TSyslogConfigRec& profile, const TScanHooks& hooks, TScanResult& result)
      : Opt(opt), Profile(profile), Hooks(hooks), Result(result) {}
  const TRunOptions& Opt;
  const TSyslogConfigRec& Profile;
  const TScanHooks& Hooks;
  TScanResult& Result;
  TMarkerSearch Search;
  TEntryCutters Cutters;
  bool FirstEntry = true;
  bool SawMarkerLine = false;
  std::string LastMarkerLine;
  // Names are tallied a block at a time (they point into the block), which
  // lets the tally fetch its memory ahead on big tables.
  std::vector<std::string_view> Names;
};

enum class TStep { Go, LimitReached, HookFailed };

// The entries of one block of whole lines.
TStep ScanBlock(TScan& s, std::string_view block, std::string* err) {
  const TRunOptions& opt = s.Opt;
  TStep step = TStep::Go;
  std::string_view lastInBlock;
  bool markerInBlock = false;
  std::size_t pos = 0;
  while (pos < block.size()) {
    std::size_t hit = FindMarker(s.Search, block, pos);
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

    TEntryParts e = CutEntry(line, s.Profile, s.Cutters);
    if (s.FirstEntry) {
      s.FirstEntry = false;
      s.Result.FirstEntryDate = EntryDateText(line, s.Profile);
      if (s.Hooks.FirstEntry && !s.Hooks.FirstEntry(s.Result.FirstEntryDate, err)) {
        step = TStep::HookFailed;
        break;
      }
    }
    if (e.Process.empty()) continue;
    if (opt.SearchGiven && !PassesSearch(e.Process, opt.SearchText, opt.ExactMatch)) continue;
    ++s.Result.EntryCount;
    if (!opt.ListOnly) s.Names.push_back(e.Process);
    if (s.Hooks.Entry && !s.Hooks.Entry(TScanEntry{s.Result.EntryCount, line, e.Section, e.Process, e.DebugSet}, err)) {
      step = TStep::HookFailed;
      break;
    }
    if (s.Result.EntryCount >= opt.MaxEntries) {
      step = TStep::LimitReached;
      break;
    }
  }
  if (!s.Names.empty()) {
    AddNamesToTally(s.Names.data(), s.Names.size());
    s.Names.clear();
  }
  if (markerInBlock) {
    s.LastMarkerLine.assign(lastInBlock);
    s.SawMarkerLine = true;
  }
  return step;
}

bool FailScan(TLineReader& reader, const std::string& error, std::string* err) {
  *err = error;
  CloseLineReader(reader);
  return false;
}

}  // namespace

bool ScanLog(const TScanHooks& hooks, std::string* err) {
  TScanResult& result = ScanResult;
  result = TScanResult();
  TScan s(RunOptions, CurrentSyslogConfig, hooks, result);

  TLineReader reader;
  if (!OpenLineReader(reader, s.Opt.SyslogFileName)) return FailScan(reader, reader.ErrorText, err);

  // A marker holding a line end can never occur inside a line.
  std::string_view marker = s.Opt.Marker;
  const bool markerUsable = !marker.empty() && marker.find_first_of("\r\n") == std::string_view::npos;
  InitMarkerSearch(s.Search, markerUsable ? marker : std::string_view());
  s.Cutters = TEntryCutters{WordCutterOf(s.Profile.Delimiter_1), WordCutterOf(s.Profile.Delimiter_2)};

  std::string_view block;
  TStep step = result.EntryCount >= s.Opt.MaxEntries ? TStep::LimitReached : TStep::Go;
  while (step == TStep::Go && ReadLineBlock(reader, &block)) step = ScanBlock(s, block, err);
  if (step == TStep::HookFailed) return FailScan(reader, *err, err);
  if (reader.Failed) return FailScan(reader, reader.ErrorText, err);

  TLocalTime modified;
  if (!FileSizeOf(reader, &result.FileSize) || !FileModifiedOf(reader, &modified) || !CloseLineReader(reader))
    return FailScan(reader, reader.ErrorText, err);
  result.FileTimestamp = DateTimeOf(modified);
  // The last line that held the marker (with -M reached: the last counted one).
  result.LastEntryDate = EntryDateText(s.SawMarkerLine ? s.LastMarkerLine : std::string(), s.Profile);
  return true;
}
