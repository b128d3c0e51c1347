// The command-line parameter engine: the argument table, option definitions
// and the lookups that claim arguments. It never prints and never exits; it
// answers through result records, flags and text lists.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "numbers.h"  // the number rule of FindSwitchNumber
#include "platform/platform.h"
#include "text.h"

// What an argument was claimed as.
enum class TParamKind : std::int32_t {
  Unclaimed = 0,      // no lookup claimed it
  Reserved = 1,       // never assigned (the numbers are published); judged like the other non-switch kinds
  Switch = 2,         // an alias matched it
  SwitchValue = 3,    // consumed as the (second) value of the switch before it
  AttachedValue = 4,  // a switch with ":" or "=" and its value
  Incomplete = 5,     // a required value is missing, or the value was claimed already
  Positional = 6,     // taken by TakePositionalParam
};

// One command-line argument. Only Kind and Text are ever judged; the four
// flags are published interface that neither program uses: the lookups
// set them, and nothing in the library or the programs reads them.
struct TParamStatusRec {
  TParamKind Kind = TParamKind::Unclaimed;
  bool IsSwitch = false;
  bool HasValue = false;       // a non-empty value came attached
  bool ValueAttached = false;  // ":" or "=" followed the switch
  bool IsPositional = false;
  std::string Text;  // exactly as given
};
typedef std::vector<TParamStatusRec> TParamStatusArray;

// The answer to one lookup.
struct TFindParamRec {
  bool NumberDefaulted = false;  // FindSwitchNumber: the number equals the default
  bool Found = false;            // cleared again when a required value is missing
  bool ValueAttached = false;
  std::int32_t ArgIndex = -1;   // index of the matching argument; -1 when absent
  std::int32_t NextIndex = -1;  // ArgIndex + 1; -1 when absent
  std::string Switch;           // the argument; with an attached value, the part before it
  std::string Value;            // attached value, the following argument, or the default
  std::string SecondValue;      // for definitions that take two values
};
typedef std::vector<TFindParamRec> TParamRecArray;

// Search directions of the (index, direction) ranges.
constexpr int SearchFrom = 0;  // from index (below 0: the first) to the last argument
constexpr int SearchUpTo = 1;  // from the first argument to index (-1 or past the end: the last)

// Lookup flags, a bit set.
constexpr int RequireAllValues = 1;  // both values required
constexpr int RequireValue = 2;      // the first value required
constexpr int ScanAll = 4;           // examine the whole range; the result describes the last match

// Characters a one-character alias may be given bare as (SwitchValueMode 1 or 3).
// The question mark is deliberately not among them.
extern const char SwitchSymbols[];  // "!#$%*+-.@_~"

// ---- Library-wide state (ResetParamState / ResetParamEngine restore it) ----

// One entry per argument after the program name; built at start-up.
extern TParamStatusArray ParamStatusList;
// 1 or 3: a symbol alias may stand bare; 2 or 3: values may be attached with
// ":" or "=". Initially 0.
extern std::int32_t SwitchValueMode;
// true (initial): long aliases only with "/" and "--"; false: also with "-".
extern bool LongNamesNeedDoubleDash;
// Every alias looked up so far, upper-cased, space-separated, each once.
extern std::string KnownAliases;
// Display form of the help-type switches defined (refreshed by validation).
extern std::string HelpSwitchSummary;

// Settings back to their initial values, the argument table rebuilt from
// args, the match log, the alias list, the help summary, LastNumberDefaulted
// and the standard switch records cleared. (ResetParamEngine in
// validation.h also resets the statistics records.)
void ResetParamState(const TStringArray& args);

// ---- Operations ----

// One Unclaimed entry per argument, Text = the argument.
void InitParamStatusList(TParamStatusArray& list, const TStringArray& args);

// Every word of the text under the cutter's set, in order: the words that
// WordOf numbers 1, 2, and so on, found in one walk.
std::vector<std::string_view> WordsOf(std::string_view text, const TWordCutter& cutter);

// The aliases of a definition: the words between spaces, commas and
// semicolons (runs count as one), as written.
std::vector<std::string_view> DefinitionAliases(std::string_view definition);

// The prefixed spellings of one alias, in matching order: a one-character
// alias gives /X, -X (and X first when it is a symbol and bareSymbol is
// set); a longer one /WORD, --WORD (/WORD, -WORD, --WORD when
// LongNamesNeedDoubleDash is false).
TStringArray AliasSpellings(std::string_view alias, bool bareSymbol);

// text := argument `position` (1 = first); empty when out of range. A
// non-empty argument is claimed Positional.
void TakePositionalParam(TParamStatusArray& list, std::string& text, int position);
// The same into a file name that knows the argument it was typed in.
void TakePositionalParam(TParamStatusArray& list, TFileName& name, int position);

// The file name a lookup on list found as its value, with where it was
// typed: after the ":" or "=" of the switch's own argument, or the whole
// next argument. Not from the command line (Argument -1) when the lookup
// found nothing.
TFileName FileNameOfValue(const TParamStatusArray& list, const TFindParamRec& result);

// How many values an option takes: none (as FindSwitch), or one optional
// value (as FindSwitchText and FindSwitchFlag, so that a free argument after
// the switch becomes its value).
enum TOptionValues : int { NoValue = 0, OneValue = 1 };

// One row of a program's option table: the definition, how many values it
// takes, the argument index the search starts at (it runs to the last
// argument; below 0: from the first), and where the answer goes.
struct TOptionRow {
  std::string_view Definition;
  TOptionValues Values;
  int From;
  TFindParamRec* Result;
};

// Looks the rows up in table order, so that a later row that matches an
// argument claims it.
void LookUpOptions(TParamStatusArray& list, std::span<const TOptionRow> rows);

// The engine under every lookup. Records the definition's aliases in
// KnownAliases, then searches arguments firstIndex..lastIndex (firstIndex
// below 0: the first; lastIndex below 0 or past the end: the last) and
// claims what it finds. The last index comes before the first: that is the
// order of the library's published interface, kept for its callers.
// valueCount is 0, 1 or 2; flags are RequireValue, RequireAllValues and
// ScanAll. Value and SecondValue start as the defaults. A later lookup
// re-claims an argument as Switch whatever it was before.
TFindParamRec FindParam(TParamStatusArray& list, std::string_view definition, int lastIndex, int firstIndex,
                        int valueCount, int flags, std::string_view defaultValue, std::string_view defaultSecond);

// ---- The library's published interface that neither program uses ----
// Kept whole for other callers, and tested: both programs look their
// options up through LookUpOptions, never log matches, and read their
// answers from their own records.

// The lookups of one kind each, over an (index, direction) range.
// No value.
TFindParamRec FindSwitch(TParamStatusArray& list, std::string_view definition, int index, int direction);
// No value, with flags.
TFindParamRec FindSwitchEx(TParamStatusArray& list, std::string_view definition, int flags, int index, int direction);
// One optional value (so a free argument after the switch is consumed);
// flag := Found.
TFindParamRec FindSwitchFlag(TParamStatusArray& list, std::string_view definition, bool& flag, int index,
                             int direction);
// One optional value; text := Value.
TFindParamRec FindSwitchText(TParamStatusArray& list, std::string_view definition, std::string& text, int index,
                             int direction);
// One optional value read by NumberFromText (up to the first ".", "," removed,
// else the default); Value becomes the number's decimal text, and
// NumberDefaulted and LastNumberDefaulted are set when the number equals the
// default.
TFindParamRec FindSwitchNumber(TParamStatusArray& list, std::string_view definition, std::int64_t& number,
                               std::int64_t defaultNumber, int index, int direction);
// Whether the last FindSwitchNumber gave its default.
extern bool LastNumberDefaulted;

// InitParamStatusList from the process's own arguments.
void InitParamStatusList(TParamStatusArray& list);

// Every match, appended while LogParamMatches is on (off at start).
extern bool LogParamMatches;
extern TParamRecArray ParamRecLog;

// Records of the standard switches. Kestrum copies its answers into them
// after its lookups; nothing reads them back.
extern TFindParamRec DebugParam;
extern TFindParamRec ErrorDelayParam;
extern TFindParamRec AudibleErrorParam;
extern TFindParamRec HelpParam;
extern TFindParamRec BuildParam;
extern TFindParamRec VersionOnlyParam;
extern TFindParamRec BannerParam;
extern TFindParamRec InfoParam;

// Empty the array, then size it to n empty elements (none for n below 1).
inline void ResetParamRecArray(TParamRecArray& array, int n) { array.assign(n > 0 ? n : 0, {}); }
inline void ResetStringArray(TStringArray& array, int n) { array.assign(n > 0 ? n : 0, {}); }
inline void ResetIntegerArray(TIntegerArray& array, int n) { array.assign(n > 0 ? n : 0, {}); }
inline void ResetParamStatusArray(TParamStatusArray& array, int n) { array.assign(n > 0 ? n : 0, {}); }
