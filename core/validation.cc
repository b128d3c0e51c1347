#include "validation.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_set>
#include <utility>
#include <vector>

TParamStatisticsRec CustomSyntaxStats;
TParamStatisticsRec DefaultSyntaxStats;

const char CustomSyntaxStatsName[] = "Custom Syntax Validation Record";
const char DefaultSyntaxStatsName[] = "Default Syntax Validation Record";

namespace {

const char* const kHelpWords[] = {"H", "HELP", "?", "H2", "HELP2", "??", "VERSION-ONLY", "BUILD-ONLY", "INFO"};

void Add(std::uint16_t& counter, std::string& list, std::string_view text) {
  counter = static_cast<std::uint16_t>(counter + 1);
  list += QuoteIfNeeded(text);
  list += ' ';
}

// One bit for the hash of every 4-byte window (stretch) of the arguments so
// far: a clear bit proves that a window occurs in none of them, while a set
// bit may come from another window of the same hash.
struct TWindowFilter {
  std::vector<std::uint64_t> Bits;
  int Shift = 0;
};

// The bit of the window at p: a multiplicative hash of its four bytes,
// letter case ignored.
std::size_t WindowSlot(const TWindowFilter& f, const char* p) {
  std::uint32_t w = 0;
  for (int i = 3; i >= 0; --i) w = w << 8 | static_cast<unsigned char>(LowerAsciiByte(p[i]));
  return static_cast<std::size_t>((w * 2654435761u) >> f.Shift);
}

void AddWindows(TWindowFilter& f, std::string_view text) {
  for (std::size_t i = 0; i + 4 <= text.size(); ++i) {
    const std::size_t s = WindowSlot(f, text.data() + i);
    f.Bits[s / 64] |= std::uint64_t{1} << (s % 64);
  }
}

// False when a window of the text that holds no blank occurs in no
// argument so far. Wherever the Distinct list held the text, such a window
// would lie inside one entry of the list, so the list cannot hold it.
bool MayBeInEarlierArguments(const TWindowFilter& f, std::string_view text) {
  for (std::size_t i = 0; i + 4 <= text.size(); ++i) {
    if (std::memchr(text.data() + i, ' ', 4)) continue;
    const std::size_t s = WindowSlot(f, text.data() + i);
    if (!((f.Bits[s / 64] >> (s % 64)) & 1)) return false;
  }
  return true;
}

// One prefix of the texts the Distinct list is asked about.
struct TTextNode {
  std::int32_t Fail = 0;     // the node of its longest proper suffix that is a prefix too
  std::int32_t Output = -1;  // the nearest node on the Fail chain that is a whole text
  unsigned char Byte = 0;    // the byte that leads to it
  bool WholeText = false;
  bool Found = false;  // the list so far holds this text
};

// Answers "does this text occur anywhere in the list so far, case ignored"
// for the Distinct list. Every text that will be asked about is known
// before the list grows, so they make one Aho-Corasick automaton, and the
// list runs through it once as it grows, marking each text where the list
// first holds it. The work is linear in the texts and the list, where a
// search of the whole list for each argument made 100,000 distinct
// arguments take a minute. Texts that the window filter already shows to
// be new stay out of it.
struct TDistinctFinder {
  std::vector<TTextNode> Nodes;          // node 0: the empty prefix
  std::vector<std::int32_t> ChildStart;  // node v's children: the nodes from ChildStart[v] up to ChildStart[v + 1]
  std::vector<std::int32_t> TextNode;    // the node of each text asked about; -1: surely new
  std::int32_t FirstLevel[256];          // the start node's child for each byte; 0: none
  std::int32_t At = 0;                   // where the list so far leaves the automaton
};

// The loops that run once for every byte use plain pointers, since a debug
// build's checked iterators would cost more than the search itself.
std::int32_t ChildOf(const TDistinctFinder& f, std::int32_t node, unsigned char byte) {
  const TTextNode* nodes = f.Nodes.data();
  const std::int32_t* start = f.ChildStart.data() + node;
  const TTextNode* first = nodes + start[0];
  const TTextNode* end = nodes + start[1];
  const TTextNode* last = end;
  while (first < last) {
    const TTextNode* middle = first + (last - first) / 2;
    if (middle->Byte < byte)
      first = middle + 1;
    else
      last = middle;
  }
  return first < end && first->Byte == byte ? static_cast<std::int32_t>(first - nodes) : -1;
}

// The node reached from node by the byte: its child, or that of the
// longest suffix that has one.
std::int32_t StepFrom(const TDistinctFinder& f, std::int32_t node, unsigned char byte) {
  for (; node != 0; node = f.Nodes.data()[node].Fail) {
    const std::int32_t child = ChildOf(f, node, byte);
    if (child >= 0) return child;
  }
  return f.FirstLevel[byte];
}

// The lowered texts of the arguments first..last that an earlier argument
// may hold, by their place in the range; the empty string for a text that
// the window filter proves new (no text is empty: an empty argument is
// asked about as two double quotes).
std::vector<std::string> TextsToFind(const TParamStatusArray& list, long long first, long long last) {
  // The filter is sized for the list the whole range could make: each entry
  // is the text, two double quotes when it is empty or holds a blank, and
  // the blank after it, so 3 bytes more than the text at most.
  std::size_t rangeBytes = 0;
  for (long long i = first; i <= last; ++i) rangeBytes += list[static_cast<std::size_t>(i)].Text.size() + 3;
  // Eight bits a byte, between 4 Ki and 16 Mi bits.
  int bits = 12;
  while (bits < 24 && (std::size_t{1} << bits) < rangeBytes * 8) ++bits;
  TWindowFilter earlier;
  earlier.Bits.assign((std::size_t{1} << bits) / 64, 0);
  earlier.Shift = 32 - bits;
  std::vector<std::string> texts;
  for (long long i = first; i <= last; ++i) {
    const std::string& arg = list[static_cast<std::size_t>(i)].Text;
    const std::string_view text = arg.empty() ? std::string_view("\"\"") : std::string_view(arg);
    const bool mayBeFound = MayBeInEarlierArguments(earlier, text);
    AddWindows(earlier, QuoteIfNeeded(text));
    texts.push_back(mayBeFound ? LowerAscii(text) : std::string());
  }
  return texts;
}

// The automaton of the texts (all but the empty ones), made a depth at a
// time from the texts in byte order. The nodes are then numbered by depth
// and, within a depth, by the byte order of their prefixes, so that a
// node's children are the nodes from ChildStart[v] on, in byte order; and
// as a node's Fail and Output links lead to shallower nodes, which are
// complete, they are set as the node is made.
void BuildTextAutomaton(TDistinctFinder& f, const std::vector<std::string>& texts) {
  // The texts longer than the depth, in byte order, each with the node of
  // its prefix so far.
  std::vector<std::pair<std::int32_t, std::int32_t>> active;
  for (std::size_t k = 0; k < texts.size(); ++k)
    if (!texts[k].empty()) active.emplace_back(static_cast<std::int32_t>(k), 0);
  std::sort(active.begin(), active.end(), [&](const auto& a, const auto& b) {
    return texts[static_cast<std::size_t>(a.first)] < texts[static_cast<std::size_t>(b.first)];
  });
  f.Nodes.assign(1, TTextNode());
  f.TextNode.assign(texts.size(), -1);
  std::fill(std::begin(f.FirstLevel), std::end(f.FirstLevel), 0);
  for (std::size_t depth = 0; !active.empty(); ++depth) {
    const std::size_t depthStart = f.Nodes.size();
    std::size_t kept = 0;
    std::int32_t previousParent = -1;
    for (std::size_t a = 0; a < active.size(); ++a) {
      const auto [k, parent] = active[a];
      const std::string& text = texts[static_cast<std::size_t>(k)];
      const unsigned char byte = static_cast<unsigned char>(text[depth]);
      // Texts with the same prefix so far and the same next byte are
      // neighbours in byte order, and share the node.
      if (parent != previousParent || byte != f.Nodes.back().Byte) {
        while (f.ChildStart.size() <= static_cast<std::size_t>(parent)) f.ChildStart.push_back(f.Nodes.size());
        TTextNode child;
        child.Byte = byte;
        child.Fail = parent == 0 ? 0 : StepFrom(f, f.Nodes[static_cast<std::size_t>(parent)].Fail, byte);
        const TTextNode& suffix = f.Nodes[static_cast<std::size_t>(child.Fail)];
        child.Output = suffix.WholeText ? child.Fail : suffix.Output;
        if (parent == 0) f.FirstLevel[byte] = static_cast<std::int32_t>(f.Nodes.size());
        f.Nodes.push_back(child);
        previousParent = parent;
      }
      const std::int32_t node = static_cast<std::int32_t>(f.Nodes.size() - 1);
      if (depth + 1 < text.size()) {
        active[kept++] = {k, node};
      } else {
        f.Nodes.back().WholeText = true;
        f.TextNode[static_cast<std::size_t>(k)] = node;
      }
    }
    active.resize(kept);
    // The nodes up to this depth's first have all their children now.
    while (f.ChildStart.size() <= depthStart) f.ChildStart.push_back(f.Nodes.size());
  }
  while (f.ChildStart.size() <= f.Nodes.size()) f.ChildStart.push_back(f.Nodes.size());
}

// Feeds a new entry of the list through the automaton, letter case
// ignored, and marks every text that the list now holds as found.
void AppendToList(TDistinctFinder& f, std::string_view entry) {
  if (f.Nodes.size() == 1) return;  // no text to find
  TTextNode* nodes = f.Nodes.data();
  for (char c : entry) {
    f.At = StepFrom(f, f.At, static_cast<unsigned char>(LowerAsciiByte(c)));
    // The Output chain stops at the first text found already: every text
    // inside a found text was found at the same time as it.
    for (std::int32_t u = nodes[f.At].WholeText ? f.At : nodes[f.At].Output; u >= 0 && !nodes[u].Found;
         u = nodes[u].Output)
      nodes[u].Found = true;
  }
}

// Appends every word of list (split at blanks and colons, so that "-m:5"
// gives "-m") that is an accepted spelling to recognised.
void CollectRecognised(const std::string& list, const std::unordered_set<std::string>& accepted,
                       std::string& recognised) {
  static const TWordCutter breaks = WordCutterOf(CharSetOf(" :"));
  for (std::string_view word : WordsOf(list, breaks)) {
    if (!accepted.count(LowerAscii(word))) continue;
    recognised.append(word);
    recognised += ' ';
  }
}

// The counter and the list of each argument kind, in the order of
// TParamKind; Reserved is listed nowhere.
using R = TParamStatisticsRec;
const std::pair<std::uint16_t R::*, std::string R::*> kKindLists[] = {
    {&R::UnrecognisedCount, &R::UnrecognisedList},
    {nullptr, nullptr},
    {&R::SwitchCount, &R::SwitchList},
    {&R::ValueCount, &R::ValueList},
    {&R::AttachedCount, &R::AttachedList},
    {&R::IncompleteCount, &R::IncompleteList},
    {&R::PositionalCount, &R::PositionalList},
};
static_assert(std::size(kKindLists) == static_cast<std::size_t>(TParamKind::Positional) + 1);

// Adds an argument inside the range, the place-th of them, to the lists its
// text and its kind belong in.
void AddInRange(TParamStatisticsRec& stats, const TParamStatusRec& arg, TDistinctFinder& distinct, std::size_t place) {
  Add(stats.InRangeCount, stats.InRangeList, arg.Text);
  std::string_view text = arg.Text;
  if (text.empty())
    text = "\"\"";
  else
    Add(stats.NonEmptyCount, stats.NonEmptyList, text);
  const std::int32_t node = distinct.TextNode[place];
  if (node < 0 || !distinct.Nodes[static_cast<std::size_t>(node)].Found) {
    Add(stats.DistinctCount, stats.DistinctList, text);
    AppendToList(distinct, QuoteIfNeeded(text) + ' ');
  }
  if (arg.Kind != TParamKind::Switch && arg.Kind != TParamKind::SwitchValue)
    Add(stats.OtherCount, stats.OtherList, text);
  Add(stats.CheckedCount, stats.CheckedList, text);
  const auto [count, kindList] = kKindLists[static_cast<int>(arg.Kind)];
  if (count) Add(stats.*count, stats.*kindList, text);
}

void ValidateSyntax(TParamStatisticsRec& stats, const TParamStatusArray& list, std::string_view aliases, bool strict,
                    int firstIndex, int lastIndex) {
  ResetSyntaxStats(stats, "");
  UpdateHelpSwitchSummary();
  stats.AcceptedSpellings = AcceptedSpellingsList(aliases, 0);

  // The verdict compares the first index with the true number of arguments
  // in range: the 16-bit counter would wrap on a huge command line.
  long long first = firstIndex;
  long long inRange = 0;
  if (!list.empty()) {
    const long long count = static_cast<long long>(list.size());
    first = firstIndex < 0 ? 0 : firstIndex;
    long long last = (lastIndex < 0 || lastIndex >= count) ? count - 1 : lastIndex;
    stats.FirstIndex = static_cast<std::uint16_t>(first);
    stats.LastIndex = static_cast<std::uint16_t>(last);

    TDistinctFinder distinct;
    BuildTextAutomaton(distinct, TextsToFind(list, first, last));

    for (long long i = 0; i < count; ++i) {
      const TParamStatusRec& arg = list[static_cast<std::size_t>(i)];
      if (i < first || i > last) {
        Add(stats.OutOfRangeCount, stats.OutOfRangeList, arg.Text);
        if (arg.Kind == TParamKind::Positional) Add(stats.PositionalCount, stats.PositionalList, arg.Text);
        continue;
      }
      AddInRange(stats, arg, distinct, static_cast<std::size_t>(inRange++));
    }
  }

  if (!stats.AcceptedSpellings.empty()) {
    std::unordered_set<std::string> accepted;
    for (std::string_view word : DefinitionAliases(stats.AcceptedSpellings)) accepted.insert(LowerAscii(word));
    CollectRecognised(stats.SwitchList, accepted, stats.RecognisedSwitches);
    CollectRecognised(stats.AttachedList, accepted, stats.RecognisedSwitches);
    stats.NoRecognisedSwitch = strict && stats.RecognisedSwitches.empty();
  }

  stats.Validated = true;
  stats.SyntaxValid =
      first <= inRange && stats.UnrecognisedList.empty() && stats.IncompleteList.empty() && !stats.NoRecognisedSwitch;
}

}  // namespace

void ResetSyntaxStats(TParamStatisticsRec& stats, std::string_view name) {
  std::string keep = name.empty() ? std::move(stats.Name) : std::string(name);
  stats = TParamStatisticsRec();
  stats.Name = std::move(keep);
}

void ResetParamEngine(const TStringArray& args) {
  ResetParamState(args);
  ResetSyntaxStats(CustomSyntaxStats, CustomSyntaxStatsName);
  ResetSyntaxStats(DefaultSyntaxStats, DefaultSyntaxStatsName);
}

bool ValidateCommandLine(TParamStatisticsRec& stats, const TParamStatusArray& list, std::string_view aliases,
                         bool strict, int firstIndex, int lastIndex) {
  ValidateSyntax(stats, list, aliases, strict, firstIndex, lastIndex);
  if (!DefaultSyntaxStats.Validated) ValidateSyntax(DefaultSyntaxStats, list, aliases, strict, 0, -1);
  return stats.SyntaxValid;
}

std::string AcceptedSpellingsList(std::string_view aliases, std::int32_t valueMode) {
  const bool bare = valueMode == 1 || valueMode == 3;
  // The ":" and "=" forms only where values may be attached.
  const char* const suffixes[] = {"", ":", "="};
  const int suffixCount = valueMode == 2 || valueMode == 3 ? 3 : 1;
  std::string list;
  for (std::string_view alias : DefinitionAliases(aliases)) {
    const TStringArray spellings = AliasSpellings(alias, bare);
    for (int s = 0; s < suffixCount; ++s) {
      for (const std::string& spelling : spellings) {
        const std::string entry = spelling + suffixes[s] + ' ';
        if (list.find(entry) == std::string::npos) list += entry;
      }
    }
  }
  return list;
}

void UpdateHelpSwitchSummary() {
  const std::string known = KnownAliases + ' ';
  std::string summary;
  for (const char* word : kHelpWords) {
    const std::string key = std::string(word) + ' ';
    if (known.find(key) == std::string::npos) continue;
    summary += key.size() == 2 ? " -" : " --";
    summary += word;
  }
  HelpSwitchSummary = std::string(Trim(summary));
}
