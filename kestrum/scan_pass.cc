#include "scan_pass.h"

#include <algorithm>

#include "invariants.h"
#include "simd.h"
#include "tally_internal.h"
#include "word_walk.h"

namespace {

// How a scan of whole lines finds each entry line's end and its first
// word: through a call, which chooses its scan width itself, or built into
// the scan's own loop for AVX2, so that a line costs no call for it (18 %
// fewer instructions on a scan). The lines that end near a block's end take
// the call there too.
struct TCalledCuts {
  const TWordCutter& First;
  TLineWord LineWord(std::string_view text, std::size_t from, long long n) const {
    return LineWordOf(text, from, First, n);
  }
};

#ifdef ORVELLA_AVX2
template <int K>
struct TAvx2Cuts {
  const TWordCutter& First;
  TAvx2Match<2> Ends{kLineEndBytes};
  TAvx2Match<K> Delims{First.Members};
  TLineWord LineWord(std::string_view text, std::size_t from, long long n) const {
    TLineWord cut;
    if (n >= 1 && BlockLineWalk(text, from, n, Ends, Delims, &cut)) return cut;
    return LineWordOf(text, from, First, n);
  }
};
#endif

// A whole line and its first word (the one its first set cuts).
struct TCutLine {
  std::string_view Line, Word;
};

// The -S test: ASCII letter case ignored, whole name or anywhere in it.
bool PassesSearch(std::string_view name, std::string_view search, bool exact) {
  if (exact) return EqualsIgnoreCase(name, search);
  const auto same = [](char a, char b) { return LowerAsciiByte(a) == LowerAsciiByte(b); };
  return std::search(name.begin(), name.end(), search.begin(), search.end(), same) != name.end();
}

// The first line that holds the marker gives the date the report counts
// from, and the progress text, whatever its name.
bool NoteFirstMarkerLine(TScanPass& s, std::string&& date, std::string* err) {
  s.SawMarker = true;
  s.FirstEntryDate = std::move(date);
  return !s.Hooks.FirstEntry || s.Hooks.FirstEntry(s.FirstEntryDate, err);
}

// What counting an entry asks of the options, the hooks and the tally,
// taken once per block: asked on every entry, they were loaded again after
// every stored name (a scan ran 1.5 % more instructions). The entries found
// among the names met lately are told to the tally once, at the block's end
// (FinishBlock), which judges by them whether the next blocks look there.
struct TCountRules {
  explicit TCountRules(TScanPass& s)
      : Search(!s.Setup.Opt.SearchText.empty()), Keep(!s.Setup.Opt.ListOnly), Entry(s.Hooks.Entry) {
    if (Keep && RecentNamesOn(s.Counting)) Recent = &s.Counting;
  }
  void FinishBlock() const {
    if (Recent) Recent->RecentFound += Found;
  }
  bool Search;  // -S
  bool Keep;    // the names are tallied (not with -L)
  bool (*Entry)(const TScanEntry& entry, std::string* err);
  TTallyTable* Recent = nullptr;  // where the names met lately are looked at, if they are
  std::size_t Found = 0;          // entries counted there
};

// An entry line whose name is cut: counted, unless its name is empty or
// fails the -S test. The entry as the Entry hook is shown it is made only
// for such a hook, by entryOf from the name as counted.
template <class F>
inline TPassStep CountEntry(TScanPass& s, TCountRules& rules, std::string_view name, std::int64_t at, std::string* err,
                            const F& entryOf) {
  const TRunOptions& opt = s.Setup.Opt;
  // A colon that ends the name is the layout's, not the name's.
  if (name.ends_with(':')) name.remove_suffix(1);
  if (name.empty()) return TPassStep::Continue;
  if (rules.Search && !PassesSearch(name, opt.SearchText, opt.ExactMatch)) return TPassStep::Continue;
  ++s.EntryCount;
  // Mostly the name was met lately: counted here, it costs no push, no
  // batch and no second look at its words.
  if (rules.Recent && CountedAsRecent(*rules.Recent, name, at)) {
    ++rules.Found;
  } else if (rules.Keep) {
    s.Names.push_back(name);
    s.At.push_back(at);
  }
  if (rules.Entry) {
    TScanEntry e = entryOf(name);
    e.Number = s.EntryCount;
    if (!rules.Entry(e, err)) return TPassStep::HookFailed;
  }
  return s.EntryCount >= s.MaxEntries ? TPassStep::AtLimit : TPassStep::Continue;
}

// The line around the marker found at hit, where the search began at the
// line start from, and the line's word n. Mostly the marker stands in that
// very line: its end, found forward, then also settles the start without a
// walk back. A marker that follows a line end opens its line, as many
// layouts put it.
template <class C>
TCutLine LineAround(std::string_view block, std::size_t from, std::size_t hit, long long n, const C& cuts) {
  if (hit > from && IsLineEndByte(block[hit - 1])) from = hit;
  TLineWord cut = cuts.LineWord(block, from, n);
  if (cut.End < hit) {
    const std::size_t before = LastLineEnd(block, 0, hit);
    from = before == std::string_view::npos ? 0 : before + 1;
    cut = cuts.LineWord(block, from, n);
  }
  return {std::string_view(block.data() + from, cut.End - from), cut.Word};
}

template <class C>
TPassStep ScanLines(TScanPass& s, const TBlock& block, std::string* err, const C& cuts) {
  const std::string_view text = block.Text;
  const TScanSetup& setup = s.Setup;
  const TSyslogConfigRec& p = setup.Profile;
  TCountRules rules(s);
  const bool firstSet = p.Index_2 == -1;
  const TMarkerStart markerStart = setup.Marker.Start;
  TPassStep step = TPassStep::Continue;
  std::string_view lastMarkerLine;  // never empty once met, as it holds the marker
  for (std::size_t pos = 0; step == TPassStep::Continue && pos < text.size();) {
    // FindMarker, with the check at the line start kept in registers.
    const std::size_t hit = markerStart.At(text, pos) ? pos : FindMarkerFrom(s.Finder, text, pos);
    if (hit == std::string_view::npos) break;
    const TCutLine cut = LineAround(text, pos, hit, p.Index_1, cuts);
    const std::string_view line = cut.Line;
    const auto start = static_cast<std::size_t>(line.data() - text.data());
    pos = PastLineEnd(text, start + line.size());
    lastMarkerLine = line;
    // The name is the line's first word, or a word of that word (the
    // section) cut with the second set.
    const std::string_view section = firstSet ? line : Trim(cut.Word);
    const std::string_view name = firstSet ? Trim(cut.Word) : TrimmedWordOf(section, setup.Second, p.Index_2);
    if (!s.SawMarker && !NoteFirstMarkerLine(s, EntryDateText(line, setup.Date, setup.DateSet), err))
      return TPassStep::HookFailed;
    step = CountEntry(s, rules, name, block.At + static_cast<std::int64_t>(start), err, [&](std::string_view counted) {
      return TScanEntry{0, line, section, counted, firstSet ? &setup.First : &setup.Second};
    });
  }
  rules.FinishBlock();
  // The date, not the line, is kept: the next block overwrites the buffer.
  if (!lastMarkerLine.empty()) s.LastEntryDate = EntryDateText(lastMarkerLine, setup.Date, setup.DateSet);
  return step;
}

typedef TPassStep (*TLinesScan)(TScanPass&, const TBlock&, std::string*);

TPassStep CalledScanLines(TScanPass& s, const TBlock& block, std::string* err) {
  return ScanLines(s, block, err, TCalledCuts{s.Setup.First});
}

#ifdef ORVELLA_AVX2
template <int K>
ORVELLA_AVX2_KERNEL TPassStep Avx2ScanLines(TScanPass& s, const TBlock& block, std::string* err) {
  return ScanLines(s, block, err, TAvx2Cuts<K>{s.Setup.First});
}
constexpr TLinesScan kAvx2Scans[5] = {Avx2ScanLines<0>, Avx2ScanLines<1>, Avx2ScanLines<2>, Avx2ScanLines<3>,
                                      Avx2ScanLines<4>};
#endif

// The scan of whole lines for the first delimiter set and the widest scan
// its cutter may use.
TLinesScan LinesScanFor(const TWordCutter& first) {
#ifdef ORVELLA_AVX2
  if (first.MemberCount >= 0 && RunnableScanWidth(first.Width) == kScanAvx2) return kAvx2Scans[first.MemberCount];
#endif
  return CalledScanLines;
}

void StartLongEntry(TScanPass& s, std::int64_t at) {
  const TScanSetup& setup = s.Setup;
  const TSyslogConfigRec& p = setup.Profile;
  TLongEntry& e = s.Long;
  e.Passing = true;
  e.At = at;
  e.Marker.Found = false;
  ReleaseLongWord(e.Marker.Window);
  StartFieldCut(e.Name, setup.First, p.Index_1, setup.Second, p.Index_2 == -1 ? TFieldCut::kWholeSection : p.Index_2);
  StartWordsCut(e.Date, setup.DateSet, setup.DateWords);
}

// The long line has passed: an entry if it held the marker.
TPassStep FinishLongEntry(TScanPass& s, std::string* err) {
  TLongEntry& e = s.Long;
  e.Passing = false;
  if (!e.Marker.Found) return TPassStep::Continue;
  const TDatePicture& picture = s.Setup.Date;
  std::string_view words[5];
  for (int i = 0; i < picture.Count; ++i) words[i] = TakenWord(e.Date, picture.Parts[i].Word);
  std::string date = JoinDateText(picture, words);
  s.LastEntryDate = date;
  if (!s.SawMarker && !NoteFirstMarkerLine(s, std::move(date), err)) return TPassStep::HookFailed;
  TCountRules rules(s);
  const TPassStep step = CountEntry(s, rules, Trim(e.Name.Value), e.At, err, [](std::string_view counted) {
    TScanEntry entry;
    entry.Process = counted;
    return entry;
  });
  rules.FinishBlock();
  return step;
}

TPassStep ScanPiece(TScanPass& s, const TBlock& block, std::string* err) {
  // With -D the reader gives every line whole, as its breakdown shows it.
  ORVELLA_INVARIANT(!s.Setup.Opt.Debug);
  TLongEntry& e = s.Long;
  if (!e.Passing) StartLongEntry(s, block.At);
  FindMarkerInPiece(s.Finder, e.Marker, block.Text, block.LineEnds);
  FeedFieldCut(e.Name, block.Text);
  FeedWordsCut(e.Date, block.Text);
  return block.LineEnds ? FinishLongEntry(s, err) : TPassStep::Continue;
}

}  // namespace

TScanSetup::TScanSetup(const TRunOptions& opt, const TSyslogConfigRec& profile, const TParallelPlan& plan)
    : Opt(opt), Profile(profile), Plan(plan) {
  PrepareMarkerSearch(Marker, opt.Marker);
  First = WordCutterOf(profile.Delimiter_1);
  Second = WordCutterOf(profile.Delimiter_2);
  DateSet = WordCutterOf(profile.Date_Delimiter);
  Date = DatePictureOf(profile);
  for (int i = 0; i < Date.Count; ++i) DateWords.push_back(Date.Parts[i].Word);
}

TScanPass::TScanPass(const TScanSetup& setup, const TScanHooks& hooks, TTallyTable& counting)
    : Setup(setup), Hooks(hooks), Counting(counting), MaxEntries(setup.Opt.MaxEntries) {
  Finder.Search = &setup.Marker;
  // Without a line holding the marker, the date of an empty line.
  LastEntryDate = EntryDateText(std::string_view(), setup.Date, setup.DateSet);
}

TPassStep ScanBlock(TScanPass& pass, const TBlock& block, std::string* err) {
  pass.Names.clear();
  pass.At.clear();
  if (block.Kind == TBlockKind::Skipped) return TPassStep::Continue;
  if (block.Kind == TBlockKind::Lines) return LinesScanFor(pass.Setup.First)(pass, block, err);
  return ScanPiece(pass, block, err);
}
