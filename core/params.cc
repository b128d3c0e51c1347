#include "params.h"

#include <cstring>

#include "platform/platform.h"

const char SwitchSymbols[] = "!#$%*+-.@_~";

TParamStatusArray ParamStatusList;
TParamRecArray ParamRecLog;
std::int32_t SwitchValueMode = 0;
bool LongNamesNeedDoubleDash = true;
bool LogParamMatches = false;
std::string KnownAliases;
std::string HelpSwitchSummary;
bool LastNumberDefaulted = false;

TFindParamRec DebugParam;
TFindParamRec ErrorDelayParam;
TFindParamRec AudibleErrorParam;
TFindParamRec HelpParam;
TFindParamRec BuildParam;
TFindParamRec VersionOnlyParam;
TFindParamRec BannerParam;
TFindParamRec InfoParam;

namespace {

// Attached values are cut to this many characters.
constexpr std::size_t kMaxAttachedValue = 999;

bool IsSymbol(char c) { return c != '\0' && std::strchr(SwitchSymbols, c) != nullptr; }

// Adds each word of the definition to KnownAliases unless it is there as a
// whole word already. The list is a few hundred bytes, so a plain search
// of it will do, and it also sees what a caller wrote into it.
void RememberAliases(std::string_view definition) {
  for (std::string_view word : DefinitionAliases(definition)) {
    const std::string upper = UpperAscii(word);
    if ((" " + KnownAliases + " ").find(" " + upper + " ") != std::string::npos) continue;
    if (!KnownAliases.empty()) KnownAliases += ' ';
    KnownAliases += upper;
  }
}

enum class TMatch { None, Plain, Attached };

// How an argument matched one alias: the switch part of it, and the value
// that came attached with ":" or "=".
struct TAliasMatch {
  TMatch Kind = TMatch::None;
  std::string_view Switch, Value;
};

// Tries the spellings of one alias in order; the first that fits wins.
TAliasMatch MatchAlias(std::string_view arg, const TStringArray& spellings, bool attachAllowed) {
  for (const std::string& s : spellings) {
    if (EqualsIgnoreCase(arg, s)) return {TMatch::Plain, arg, {}};
    if (attachAllowed && arg.size() > s.size() && (arg[s.size()] == ':' || arg[s.size()] == '=') &&
        EqualsIgnoreCase(arg.substr(0, s.size()), s))
      return {TMatch::Attached, arg.substr(0, s.size()), arg.substr(s.size() + 1, kMaxAttachedValue)};
  }
  return {};
}

// What one FindParam call asks for.
struct TLookup {
  int ValueCount;
  bool NeedFirst, NeedSecond;
  std::string_view DefaultValue, DefaultSecond;
};

// Takes argument switchIndex + offset as a value of the switch at switchIndex.
void TakeValue(TParamStatusArray& list, int switchIndex, int offset, bool required, std::string& value,
               TFindParamRec& result) {
  TParamStatusRec& sw = list[static_cast<std::size_t>(switchIndex)];
  const std::size_t at = static_cast<std::size_t>(switchIndex) + static_cast<std::size_t>(offset);
  value = at < list.size() ? list[at].Text : std::string();
  if (value.empty() && required) {
    result.Found = false;
    sw.Kind = TParamKind::Incomplete;
  } else if (at < list.size()) {
    // An argument that an earlier lookup claimed as something else keeps
    // its claim: the value is reported, but the switch is left without one
    // of its own.
    TParamStatusRec& next = list[at];
    if (next.Kind == TParamKind::Unclaimed || next.Kind == TParamKind::SwitchValue)
      next.Kind = TParamKind::SwitchValue;
    else
      sw.Kind = TParamKind::Incomplete;
  }
}

// A wrapper's range, given as an index and a direction, in the terms of
// FindParam, which takes the last index before the first.
TFindParamRec FindInRange(TParamStatusArray& list, std::string_view definition, int index, int direction,
                          int valueCount, int flags) {
  const bool upTo = direction == SearchUpTo;
  return FindParam(list, definition, upTo ? index : -1, upTo ? 0 : index, valueCount, flags, "", "");
}

// Claims argument index, which an alias matched, and the values that go
// with it, and describes the match in result. False when the switch keeps
// the value attached to it: no further alias is then tried on the argument.
bool ClaimMatch(TParamStatusArray& list, int index, const TAliasMatch& match, const TLookup& lookup,
                TFindParamRec& result) {
  TParamStatusRec& arg = list[static_cast<std::size_t>(index)];
  const bool attached = match.Kind == TMatch::Attached;
  // "-m:" with a required value takes its values from the next arguments
  // like a plain match, but the switch stays Incomplete even if they supply
  // the value.
  const bool takesNext = !attached || (match.Value.empty() && lookup.NeedFirst);
  arg.Kind = !attached ? TParamKind::Switch : takesNext ? TParamKind::Incomplete : TParamKind::AttachedValue;
  arg.IsSwitch = true;
  if (attached) {
    arg.ValueAttached = true;
    arg.HasValue = !match.Value.empty();
  }
  // With ScanAll the result describes the last match only, so it is made
  // afresh, and nothing of an earlier match lingers in it.
  result = {.Found = true,
            .ValueAttached = attached,
            .ArgIndex = index,
            .NextIndex = index + 1,
            .Switch = std::string(match.Switch),
            .Value = std::string(attached ? match.Value : lookup.DefaultValue),
            .SecondValue = std::string(lookup.DefaultSecond)};
  if (takesNext && lookup.ValueCount >= 1) TakeValue(list, index, 1, lookup.NeedFirst, result.Value, result);
  if (takesNext && lookup.ValueCount >= 2) TakeValue(list, index, 2, lookup.NeedSecond, result.SecondValue, result);
  if (LogParamMatches) ParamRecLog.push_back(result);
  return takesNext;
}

}  // namespace

void ResetParamState(const TStringArray& args) {
  InitParamStatusList(ParamStatusList, args);
  ParamRecLog.clear();
  SwitchValueMode = 0;
  LongNamesNeedDoubleDash = true;
  LogParamMatches = false;
  KnownAliases.clear();
  HelpSwitchSummary.clear();
  LastNumberDefaulted = false;
  for (TFindParamRec* r : {&DebugParam, &ErrorDelayParam, &AudibleErrorParam, &HelpParam, &BuildParam,
                           &VersionOnlyParam, &BannerParam, &InfoParam})
    *r = TFindParamRec();
}

void InitParamStatusList(TParamStatusArray& list, const TStringArray& args) {
  list.assign(args.size(), {});
  for (std::size_t i = 0; i < args.size(); ++i) list[i].Text = args[i];
}

void InitParamStatusList(TParamStatusArray& list) { InitParamStatusList(list, PlatArguments()); }

std::vector<std::string_view> WordsOf(std::string_view text, const TWordCutter& cutter) {
  std::vector<std::string_view> words;
  TWordWalk walk;
  std::size_t at = 0;
  for (long long n = 1;; ++n) {
    const std::string_view word = WalkToWord(walk, cutter, text, at, n);
    if (word.empty()) return words;
    words.push_back(word);
    at = static_cast<std::size_t>(word.data() - text.data()) + word.size();
  }
}

std::vector<std::string_view> DefinitionAliases(std::string_view definition) {
  static const TWordCutter separators = WordCutterOf(CharSetOf(" ,;"));
  return WordsOf(definition, separators);
}

TStringArray AliasSpellings(std::string_view alias, bool bareSymbol) {
  std::string a(alias);
  if (alias.size() == 1) {
    if (bareSymbol && IsSymbol(alias[0])) return {a, "/" + a, "-" + a};
    return {"/" + a, "-" + a};
  }
  if (LongNamesNeedDoubleDash) return {"/" + a, "--" + a};
  return {"/" + a, "-" + a, "--" + a};
}

void TakePositionalParam(TParamStatusArray& list, std::string& text, int position) {
  text.clear();
  if (position < 1 || static_cast<std::size_t>(position) > list.size()) return;
  TParamStatusRec& arg = list[static_cast<std::size_t>(position) - 1];
  text = arg.Text;
  if (text.empty()) return;
  arg.Kind = TParamKind::Positional;
  arg.IsPositional = true;
}

void TakePositionalParam(TParamStatusArray& list, TFileName& name, int position) {
  std::string text;
  TakePositionalParam(list, text, position);
  name = TFileName(std::move(text), position - 1, 0);
}

TFileName FileNameOfValue(const TParamStatusArray& list, const TFindParamRec& result) {
  if (!result.Found) return TFileName(result.Value);
  const std::size_t offset = result.Switch.size() + 1;
  // "-x:" with nothing attached takes a required value from the next argument.
  if (result.ValueAttached && result.ArgIndex >= 0 && static_cast<std::size_t>(result.ArgIndex) < list.size() &&
      list[static_cast<std::size_t>(result.ArgIndex)].Text.size() > offset)
    return TFileName(result.Value, result.ArgIndex, offset);
  return TFileName(result.Value, result.NextIndex, 0);
}

TFindParamRec FindParam(TParamStatusArray& list, std::string_view definition, int lastIndex, int firstIndex,
                        int valueCount, int flags, std::string_view defaultValue, std::string_view defaultSecond) {
  RememberAliases(definition);

  TFindParamRec result;
  result.Value = defaultValue;
  result.SecondValue = defaultSecond;

  const long long count = static_cast<long long>(list.size());
  long long first = firstIndex < 0 ? 0 : firstIndex;
  long long last = (lastIndex < 0 || lastIndex >= count) ? count - 1 : lastIndex;

  const bool bare = SwitchValueMode == 1 || SwitchValueMode == 3;
  const bool attach = SwitchValueMode == 2 || SwitchValueMode == 3;
  const TLookup lookup = {valueCount, (flags & (RequireValue | RequireAllValues)) != 0, (flags & RequireAllValues) != 0,
                          defaultValue, defaultSecond};

  std::vector<TStringArray> spellings;
  for (std::string_view alias : DefinitionAliases(definition)) spellings.push_back(AliasSpellings(alias, bare));

  for (long long i = first; i <= last; ++i) {
    for (const TStringArray& aliasSpellings : spellings) {
      const TAliasMatch match = MatchAlias(list[static_cast<std::size_t>(i)].Text, aliasSpellings, attach);
      if (match.Kind != TMatch::None && !ClaimMatch(list, static_cast<int>(i), match, lookup, result)) break;
    }
    if (!(flags & ScanAll) && result.ArgIndex != -1) break;
  }
  return result;
}

void LookUpOptions(TParamStatusArray& list, std::span<const TOptionRow> rows) {
  for (const TOptionRow& row : rows) *row.Result = FindParam(list, row.Definition, -1, row.From, row.Values, 0, "", "");
}

TFindParamRec FindSwitch(TParamStatusArray& list, std::string_view definition, int index, int direction) {
  return FindInRange(list, definition, index, direction, 0, 0);
}

TFindParamRec FindSwitchEx(TParamStatusArray& list, std::string_view definition, int flags, int index, int direction) {
  return FindInRange(list, definition, index, direction, 0, flags);
}

TFindParamRec FindSwitchFlag(TParamStatusArray& list, std::string_view definition, bool& flag, int index,
                             int direction) {
  TFindParamRec result = FindInRange(list, definition, index, direction, 1, 0);
  flag = result.Found;
  return result;
}

TFindParamRec FindSwitchText(TParamStatusArray& list, std::string_view definition, std::string& text, int index,
                             int direction) {
  TFindParamRec result = FindInRange(list, definition, index, direction, 1, 0);
  text = result.Value;
  return result;
}

TFindParamRec FindSwitchNumber(TParamStatusArray& list, std::string_view definition, std::int64_t& number,
                               std::int64_t defaultNumber, int index, int direction) {
  TFindParamRec result = FindInRange(list, definition, index, direction, 1, 0);
  const TNumberRead read = NumberFromText(result.Value, defaultNumber);
  number = read.Value;
  result.Value = std::to_string(number);
  result.NumberDefaulted = read.Defaulted;
  LastNumberDefaulted = read.Defaulted;
  return result;
}
