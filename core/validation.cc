#include "validation.h"

#include <unordered_set>
#include <vector>

TParamStatisticsRec CustomSyntaxStats;
TParamStatisticsRec DefaultSyntaxStats;

const char CustomSyntaxStatsName[] = "Custom Syntax Validation Record";
const char DefaultSyntaxStatsName[] = "Default Syntax Validation Record";

namespace {

const char* const kHelpWords[] = {"H", "HELP", "?", "H2", "HELP2", "??", "VERSION-ONLY", "BUILD-ONLY", "INFO"};

void Count(std::uint16_t& counter) { counter = static_cast<std::uint16_t>(counter + 1); }

void Add(std::uint16_t& counter, std::string& list, std::string_view text) {
  Count(counter);
  list += QuoteIfNeeded(text);
  list += ' ';
}

// Answers "does this text occur anywhere in the list so far, case ignored"
// for the Distinct list. A plain find per argument is quadratic, which a
// long command line would feel; a set of the texts already seen and a bit
// filter of the list's 4-byte windows turn away most texts without a search.
struct TSubstringIndex {
  std::string Lower;
  std::unordered_set<std::string> Seen;
  std::vector<std::uint64_t> Windows;
  int Shift = 0;

  explicit TSubstringIndex(std::size_t expectedBytes) {
    int bits = 12;
    while (bits < 24 && (std::size_t{1} << bits) < expectedBytes * 8) ++bits;
    Windows.assign((std::size_t{1} << bits) / 64, 0);
    Shift = 32 - bits;
  }

  std::size_t Slot(const char* p) const {
    std::uint32_t w = static_cast<unsigned char>(p[0]) |
                      static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8 |
                      static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16 |
                      static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24;
    return static_cast<std::size_t>((w * 2654435761u) >> Shift);
  }

  bool Contains(const std::string& lower) {
    if (Seen.count(lower)) return true;
    bool found = true;
    if (lower.size() >= 4) {
      for (std::size_t i = 0; i + 4 <= lower.size() && found; ++i) {
        std::size_t s = Slot(lower.data() + i);
        found = (Windows[s / 64] >> (s % 64)) & 1;
      }
    }
    if (found) found = Lower.find(lower) != std::string::npos;
    if (found) Seen.insert(lower);
    return found;
  }

  void Append(const std::string& lowerEntry) {
    std::size_t from = Lower.size() >= 3 ? Lower.size() - 3 : 0;
    Lower += lowerEntry;
    for (std::size_t i = from; i + 4 <= Lower.size(); ++i) {
      std::size_t s = Slot(Lower.data() + i);
      Windows[s / 64] |= std::uint64_t{1} << (s % 64);
    }
  }
};

bool IsWordBreak(char c) { return c == ' ' || c == ':'; }

// Appends every word of list (split at blanks and colons) that is an
// accepted spelling to recognised.
void CollectRecognised(const std::string& list, const std::unordered_set<std::string>& accepted,
                       std::string& recognised) {
  std::size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsWordBreak(list[i])) ++i;
    std::size_t start = i;
    while (i < list.size() && !IsWordBreak(list[i])) ++i;
    if (i == start) continue;
    std::string_view word(list.data() + start, i - start);
    if (accepted.count(LowerAscii(word))) {
      recognised.append(word);
      recognised += ' ';
    }
  }
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

    std::size_t rangeBytes = 0;
    for (long long i = first; i <= last && i < count; ++i)
      rangeBytes += list[static_cast<std::size_t>(i)].Text.size() + 3;
    TSubstringIndex distinct(rangeBytes);

    for (long long i = 0; i < count; ++i) {
      const TParamStatusRec& arg = list[static_cast<std::size_t>(i)];
      if (i < first || i > last) {
        Add(stats.OutOfRangeCount, stats.OutOfRangeList, arg.Text);
        if (arg.Kind == TParamKind::Positional) Add(stats.PositionalCount, stats.PositionalList, arg.Text);
        continue;
      }
      ++inRange;
      Add(stats.InRangeCount, stats.InRangeList, arg.Text);
      std::string_view text = arg.Text;
      if (text.empty())
        text = "\"\"";
      else
        Add(stats.NonEmptyCount, stats.NonEmptyList, text);
      if (!distinct.Contains(LowerAscii(text))) {
        Add(stats.DistinctCount, stats.DistinctList, text);
        distinct.Append(LowerAscii(QuoteIfNeeded(text)) + ' ');
      }
      if (arg.Kind != TParamKind::Switch && arg.Kind != TParamKind::SwitchValue)
        Add(stats.OtherCount, stats.OtherList, text);
      Add(stats.CheckedCount, stats.CheckedList, text);
      switch (arg.Kind) {
        case TParamKind::Unclaimed:
          Add(stats.UnrecognisedCount, stats.UnrecognisedList, text);
          break;
        case TParamKind::Switch:
          Add(stats.SwitchCount, stats.SwitchList, text);
          break;
        case TParamKind::SwitchValue:
          Add(stats.ValueCount, stats.ValueList, text);
          break;
        case TParamKind::AttachedValue:
          Add(stats.AttachedCount, stats.AttachedList, text);
          break;
        case TParamKind::Incomplete:
          Add(stats.IncompleteCount, stats.IncompleteList, text);
          break;
        case TParamKind::Positional:
          Add(stats.PositionalCount, stats.PositionalList, text);
          break;
        case TParamKind::Reserved:
          break;
      }
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
  const bool attach = valueMode == 2 || valueMode == 3;
  const std::string_view suffixes[] = {"", ":", "="};
  const int suffixCount = attach ? 3 : 1;
  std::string list;
  for (std::string_view alias : DefinitionAliases(aliases)) {
    TStringArray spellings = AliasSpellings(alias, bare);
    for (int s = 0; s < suffixCount; ++s) {
      for (const std::string& spelling : spellings) {
        std::string entry = spelling;
        entry.append(suffixes[s]);
        entry += ' ';
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
    if ((summary + ' ').find(key) != std::string::npos) continue;
    if (known.find(key) == std::string::npos) continue;
    summary += key.size() == 2 ? " -" : " --";
    summary += word;
  }
  HelpSwitchSummary = std::string(Trim(summary));
}
