// Arbitrary command lines through both programs' lookups and the validation.
// Input: the arguments, separated by NUL bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "options.h"
#include "params.h"
#include "reader_driver.h"
#include "validation.h"

namespace {

TStringArray SplitArguments(const std::uint8_t* data, std::size_t size) {
  TStringArray args;
  if (size == 0) return args;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (;;) {
    std::size_t nul = text.find('\0', start);
    args.emplace_back(text.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
    if (nul == std::string_view::npos) break;
    start = nul + 1;
  }
  return args;
}

// What every claim must leave behind, whatever the lookups did.
void CheckTable(const TStringArray& args) {
  FUZZ_CHECK(ParamStatusList.size() == args.size());
  for (std::size_t i = 0; i < args.size(); ++i) {
    const TParamStatusRec& a = ParamStatusList[i];
    FUZZ_CHECK(a.Text == args[i]);
    FUZZ_CHECK(a.Kind >= TParamKind::Unclaimed && a.Kind <= TParamKind::Positional);
  }
}

void CheckFound(const TFindParamRec& r, std::size_t argCount) {
  if (!r.Found) return;
  FUZZ_CHECK(r.ArgIndex >= 0 && static_cast<std::size_t>(r.ArgIndex) < argCount);
  FUZZ_CHECK(r.NextIndex == r.ArgIndex + 1);
}

void CheckVerdict(const TParamStatisticsRec& s, std::size_t argCount, int firstIndex) {
  FUZZ_CHECK(s.Validated);
  std::size_t inRange = argCount > static_cast<std::size_t>(firstIndex) ? argCount - firstIndex : 0;
  FUZZ_CHECK(s.InRangeCount == static_cast<std::uint16_t>(inRange));
  if (s.UnrecognisedCount > 0 || s.IncompleteCount > 0) FUZZ_CHECK(!s.SyntaxValid);
  if (!s.UnrecognisedList.empty() || !s.IncompleteList.empty()) FUZZ_CHECK(!s.SyntaxValid);
}

// The Distinct list by its plain rule, against the index that answers it:
// a text joins unless it occurs anywhere in the list so far, case ignored.
void CheckDistinctList(const TParamStatisticsRec& s, const TStringArray& args, std::size_t first) {
  std::string list, lower;
  for (std::size_t i = first; i < args.size(); ++i) {
    const std::string text = args[i].empty() ? "\"\"" : args[i];
    if (lower.find(LowerAscii(text)) != std::string::npos) continue;
    list += QuoteIfNeeded(text) + ' ';
    lower = LowerAscii(list);
  }
  FUZZ_CHECK(s.DistinctList == list);
}

void KestrumCommandLine(const TStringArray& args) {
  ResetParamEngine(args);
  SwitchValueMode = 2;
  std::string fileName;
  TakePositionalParam(ParamStatusList, fileName, 1);
  FUZZ_CHECK(fileName == (args.empty() ? std::string() : args[0]));
  const TKestrumParams p = DefineKestrumOptions();
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1);
  CheckTable(args);
  for (const TFindParamRec* r :
       {&p.Debug, &p.Help, &p.Verbose, &p.MaxLines, &p.Search, &p.CustomMarker, &p.ExportConfig, &p.Selections[Custom]})
    CheckFound(*r, args.size());
  CheckVerdict(CustomSyntaxStats, args.size(), 1);
  CheckDistinctList(CustomSyntaxStats, args, 1);
  if (!args.empty()) {
    CheckVerdict(DefaultSyntaxStats, args.size(), 0);
    CheckDistinctList(DefaultSyntaxStats, args, 0);
  }
}

void VandeloCommandLine(const TStringArray& args) {
  ResetParamEngine(args);
  LongNamesNeedDoubleDash = false;
  TReaderParams p = LookUpReaderOptions();
  CheckTable(args);
  for (const TFindParamRec* r : {&p.Help, &p.Verbose, &p.Debug, &p.Search, &p.Partial}) CheckFound(*r, args.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFuzzSink sink;
  const TStringArray args = SplitArguments(data, size);
  KestrumCommandLine(args);
  VandeloCommandLine(args);
  sink.Drain();
  return 0;
}
