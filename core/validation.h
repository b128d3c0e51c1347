// Judging a command line after the lookups: the claims the lookups left in
// the argument table are sorted into counted lists and a verdict. Never
// prints, never exits; the program reads the record and decides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "params.h"

// Counters are 16 bits and wrap like a 16-bit unsigned field; the lists keep
// growing. A list entry is the argument text (quoted when empty or holding a
// blank) and one space.
struct TParamStatisticsRec {
  bool SyntaxValid = true;          // verdict of the last validation
  bool Validated = false;           // a validation has finished since the reset
  bool NoRecognisedSwitch = false;  // strict, and no matched switch is an accepted spelling

  std::uint16_t FirstIndex = 0;  // the validated range, as clamped
  std::uint16_t LastIndex = 0;
  std::uint16_t InRangeCount = 0;
  std::uint16_t DistinctCount = 0;
  std::uint16_t NonEmptyCount = 0;
  std::uint16_t CheckedCount = 0;
  std::uint16_t SwitchCount = 0;
  std::uint16_t ValueCount = 0;
  std::uint16_t OtherCount = 0;  // neither Switch nor SwitchValue
  std::uint16_t AttachedCount = 0;
  std::uint16_t IncompleteCount = 0;
  std::uint16_t UnrecognisedCount = 0;  // Unclaimed
  std::uint16_t OutOfRangeCount = 0;
  std::uint16_t PositionalCount = 0;  // inside or outside the range

  std::string InRangeList;
  std::string DistinctList;  // texts not already found inside this list, case ignored
  std::string NonEmptyList;
  std::string CheckedList;  // an empty argument appears as ""
  std::string SwitchList;
  std::string ValueList;
  std::string OtherList;
  std::string AttachedList;
  std::string IncompleteList;
  std::string UnrecognisedList;
  std::string OutOfRangeList;
  std::string PositionalList;

  std::string RecognisedSwitches;  // matched switch words that are accepted spellings
  std::string AcceptedSpellings;
  std::string Name;
};

// Validated over the range the program asks for.
extern TParamStatisticsRec CustomSyntaxStats;
// Validated once, over all arguments, by the first ValidateCommandLine;
// neither program reads it.
extern TParamStatisticsRec DefaultSyntaxStats;

extern const char CustomSyntaxStatsName[];   // "Custom Syntax Validation Record"
extern const char DefaultSyntaxStatsName[];  // "Default Syntax Validation Record"

// Clears every counter, list and string; SyntaxValid true, Validated and
// NoRecognisedSwitch false. The name is replaced only when one is given.
void ResetSyntaxStats(TParamStatisticsRec& stats, std::string_view name);

// The whole engine back to its start-up state: ResetParamState(args) and
// both statistics records reset and named. Start-up runs it with the
// process's arguments; tests run it between cases.
void ResetParamEngine(const TStringArray& args);

// Validates stats over firstIndex..lastIndex (below 0: the first argument;
// lastIndex below 0 or past the end: the last), then DefaultSyntaxStats over
// every argument if it has not been validated yet. aliases is the alias text
// the switches are checked against (the programs pass KnownAliases). With
// strict, at least one matched switch must be an accepted spelling. Also
// refreshes HelpSwitchSummary. Returns stats.SyntaxValid.
bool ValidateCommandLine(TParamStatisticsRec& stats, const TParamStatusArray& list, std::string_view aliases,
                         bool strict, int firstIndex, int lastIndex);

// ---- Steps of the validation, declared here for their tests ----

// Every accepted spelling of every alias in the text ("/H -H /HELP --HELP "),
// each followed by a space and listed once, under the given SwitchValueMode
// (bare symbols for 1 and 3; ":" and "=" forms for 2 and 3) and the current
// LongNamesNeedDoubleDash.
std::string AcceptedSpellingsList(std::string_view aliases, std::int32_t valueMode);

// Recomputes HelpSwitchSummary from KnownAliases: "-H --HELP -? ..." for the
// help-type words (H HELP ? H2 HELP2 ?? VERSION-ONLY BUILD-ONLY INFO) that
// occur in it, in that order.
void UpdateHelpSwitchSummary();
