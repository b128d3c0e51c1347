#include "scan_pass.h"

namespace {

// The entry's parts; its number is set once it counts.
TScanEntry CutEntry(std::string_view line, const TScanPass& s) {
  const TSyslogConfigRec& p = s.Profile;
  TScanEntry e;
  e.Line = line;
  if (p.Index_2 == -1) {
    e.Section = line;
    e.Process = TrimmedWordOf(line, s.First, p.Index_1);
    e.DebugSet = &p.Delimiter_1;
  } else {
    e.Section = TrimmedWordOf(line, s.First, p.Index_1);
    e.Process = TrimmedWordOf(e.Section, s.Second, p.Index_2);
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

// The entries of one block of whole lines; the block's first byte stands
// at the file offset blockAt.
TStep ScanBlock(TScanPass& s, std::string_view block, std::int64_t blockAt, std::string* err) {
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

    TScanEntry e = CutEntry(line, s);
    if (!s.SawMarker) {
      s.SawMarker = true;
      s.FirstEntryDate = EntryDateText(line, s.Profile);
      if (s.Hooks.FirstEntry && !s.Hooks.FirstEntry(s.FirstEntryDate, err)) {
        step = TStep::HookFailed;
        break;
      }
    }
    if (e.Process.empty()) continue;
    if (opt.SearchGiven && !PassesSearch(e.Process, opt.SearchText, opt.ExactMatch)) continue;
    e.Number = ++s.EntryCount;
    if (!opt.ListOnly) {
      s.Names.push_back(e.Process);
      s.At.push_back(blockAt + static_cast<std::int64_t>(start));
    }
    if (s.Hooks.Entry && !s.Hooks.Entry(e, err)) {
      step = TStep::HookFailed;
      break;
    }
    if (s.EntryCount >= opt.MaxEntries) {
      step = TStep::LimitReached;
      break;
    }
  }
  if (!s.Names.empty()) {
    s.Sink.Add(s.Sink.Context, s.Names.data(), s.At.data(), s.Names.size());
    s.Names.clear();
    s.At.clear();
  }
  // The date, not the line: an entry line may be of any length.
  if (markerInBlock) s.LastEntryDate = EntryDateText(lastInBlock, s.Profile);
  return step;
}

void TellPosition(const TScanPass& s, const TLineReader& reader) {
  if (s.Position.At) s.Position.At(s.Position.Context, reader.BufferAt + static_cast<std::int64_t>(reader.End));
}

// A long line held whole for the length of the object, its memory counted
// in the budget: taken (waiting if need be) before the line is read whole,
// and given back once the reader has let go of the line.
struct THeldLine {
  THeldLine(TLineBudget* budget, TLineReader& reader, std::int64_t size) : Budget(budget), Reader(reader), Size(size) {
    if (!Budget) return;
    std::unique_lock<std::mutex> lock(Budget->Lock);
    const bool large = Size > TLineBudget::kShared;
    if (large) ++Budget->LargeWaiting;
    Budget->Freed.wait(lock, [this, large] {
      const TLineBudget& b = *Budget;
      return b.Holders == 0 || (!large && b.LargeWaiting == 0 && b.InUse + Size <= TLineBudget::kShared);
    });
    if (large) --Budget->LargeWaiting;
    Budget->InUse += Size;
    ++Budget->Holders;
  }
  ~THeldLine() {
    DropLongLine(Reader);
    if (!Budget) return;
    {
      std::lock_guard<std::mutex> lock(Budget->Lock);
      Budget->InUse -= Size;
      --Budget->Holders;
    }
    Budget->Freed.notify_all();
  }
  THeldLine(const THeldLine&) = delete;
  THeldLine& operator=(const THeldLine&) = delete;

  TLineBudget* Budget;
  TLineReader& Reader;
  std::int64_t Size;
};

// A line longer than the read buffer, whose first piece is at hand: it is
// looked at piece by piece (a marker may straddle two) and read whole only
// when it holds the marker.
TStep ScanLongLine(TScanPass& s, TLineReader& reader, std::string_view piece, std::string* err) {
  const std::int64_t lineAt = reader.LongStart;
  const std::size_t keep = s.Search.Marker.empty() ? 0 : s.Search.Marker.size() - 1;
  std::string tail;  // the last bytes before the piece, where a marker may begin
  bool last = false;
  for (;;) {
    if (!tail.empty()) {
      const std::string joint = tail + std::string(piece.substr(0, keep));
      if (FindMarker(s.Search, joint, 0) != std::string_view::npos) break;
    }
    if (FindMarker(s.Search, piece, 0) != std::string_view::npos) break;
    if (last) return TStep::Go;
    if (piece.size() >= keep) {
      tail.assign(piece.substr(piece.size() - keep));
    } else {
      tail.append(piece);
      tail.erase(0, tail.size() > keep ? tail.size() - keep : 0);
    }
    if (!ReadLongLinePiece(reader, &piece, &last)) return TStep::Go;
    TellPosition(s, reader);
  }
  // Its size first: the memory for it may have to wait for other workers'.
  while (!last) {
    if (!ReadLongLinePiece(reader, &piece, &last)) return TStep::Go;
    TellPosition(s, reader);
  }
  const THeldLine held(s.Budget, reader, reader.LongSize);
  std::string_view line;
  if (!ReadLongLineWhole(reader, &line)) return TStep::Go;
  return ScanBlock(s, line, lineAt, err);
}

}  // namespace

TScanPass::TScanPass(const TRunOptions& opt, const TSyslogConfigRec& profile, const TScanHooks& hooks, TNameSink names,
                     TPositionSink position)
    : Opt(opt), Profile(profile), Hooks(hooks), Sink(names), Position(position) {
  // A marker holding a line end can never occur inside a line.
  std::string_view marker = opt.Marker;
  const bool usable = !marker.empty() && marker.find_first_of("\r\n") == std::string_view::npos;
  InitMarkerSearch(Search, usable ? marker : std::string_view());
  First = WordCutterOf(profile.Delimiter_1);
  Second = WordCutterOf(profile.Delimiter_2);
  // Without a line holding the marker, the date of an empty line.
  LastEntryDate = EntryDateText(std::string_view(), profile);
}

bool ScanNextBlock(TScanPass& pass, TLineReader& reader, TStep* step, std::string* err) {
  std::string_view block;
  TBlockKind kind;
  if (!ReadBlockOrPiece(reader, &block, &kind)) return false;
  if (kind == TBlockKind::LongLine) {
    *step = ScanLongLine(pass, reader, block, err);
  } else {
    const std::int64_t at = reader.BufferAt + (block.data() - reader.Buffer.data());
    *step = ScanBlock(pass, block, at, err);
  }
  TellPosition(pass, reader);
  return true;
}
