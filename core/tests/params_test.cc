#include "params.h"

#include <gtest/gtest.h>

#include "validation.h"

namespace {

// One letter per argument kind, in enum order.
std::string KindLetters(const TParamStatusArray& list) {
  std::string s;
  for (const TParamStatusRec& a : list) s += "URSVAIP"[static_cast<int>(a.Kind)];
  return s;
}

enum class TOp { Switch, Ex, Flag, Text, Param, Positional };

// One lookup and what it must answer. For Positional, Index is the position
// and Value the text taken.
struct TStep {
  TOp Op;
  const char* Definition = "";
  int Index = -1;
  int Direction = SearchFrom;
  int Flags = 0;
  int Values = 0;  // Param only
  const char* Default = "";  // Param only
  bool Found = false;
  const char* Value = "";
  int ArgIndex = -1;
  const char* Switch = nullptr;  // not checked when null
  bool Attached = false;
  const char* Second = "";
};

struct TScenario {
  const char* Name;
  TStringArray Args;
  int Mode;
  bool DoubleDash;
  std::vector<TStep> Steps;
  const char* Kinds;
};

void RunScenario(const TScenario& c) {
  SCOPED_TRACE(c.Name);
  ResetParamEngine(c.Args);
  SwitchValueMode = c.Mode;
  LongNamesNeedDoubleDash = c.DoubleDash;
  for (std::size_t k = 0; k < c.Steps.size(); ++k) {
    const TStep& s = c.Steps[k];
    SCOPED_TRACE("step " + std::to_string(k + 1) + " " + s.Definition);
    TFindParamRec r;
    std::string text = "stale";
    bool flag = !s.Found;
    switch (s.Op) {
      case TOp::Positional: {
        TakePositionalParam(ParamStatusList, text, s.Index);
        EXPECT_EQ(text, s.Value);
        TFileName name;
        TakePositionalParam(ParamStatusList, name, s.Index);
        EXPECT_EQ(name.Text, s.Value);
        EXPECT_EQ(name.Argument, s.Index - 1);
        EXPECT_EQ(name.Offset, 0u);
        continue;
      }
      case TOp::Switch:
        r = FindSwitch(ParamStatusList, s.Definition, s.Index, s.Direction);
        break;
      case TOp::Ex:
        r = FindSwitchEx(ParamStatusList, s.Definition, s.Flags, s.Index, s.Direction);
        break;
      case TOp::Flag:
        r = FindSwitchFlag(ParamStatusList, s.Definition, flag, s.Index, s.Direction);
        EXPECT_EQ(flag, r.Found);
        break;
      case TOp::Text:
        r = FindSwitchText(ParamStatusList, s.Definition, text, s.Index, s.Direction);
        EXPECT_EQ(text, r.Value);
        break;
      case TOp::Param:
        r = FindParam(ParamStatusList, s.Definition, s.Direction, s.Index, s.Values, s.Flags,
                      s.Default, "dflt2");
        break;
    }
    EXPECT_EQ(r.Found, s.Found);
    EXPECT_EQ(r.Value, s.Value);
    EXPECT_EQ(r.ArgIndex, s.ArgIndex);
    EXPECT_EQ(r.NextIndex, s.ArgIndex < 0 ? -1 : s.ArgIndex + 1);
    EXPECT_EQ(r.ValueAttached, s.Attached);
    if (s.Switch) {
      EXPECT_EQ(r.Switch, s.Switch);
    }
    if (s.Op == TOp::Param && s.Values == 2) {
      EXPECT_EQ(r.SecondValue, s.Second);
    }
    // A value read as a file name points at the argument text it came from.
    if (s.Op == TOp::Text || s.Op == TOp::Flag || (s.Op == TOp::Param && s.Values > 0)) {
      TFileName file = FileNameOfValue(ParamStatusList, r);
      EXPECT_EQ(file.Text, r.Value);
      EXPECT_EQ(file.Argument < 0, !r.Found);
      if (file.Argument >= 0 && static_cast<std::size_t>(file.Argument) < c.Args.size()) {
        const std::string& typed = c.Args[static_cast<std::size_t>(file.Argument)];
        EXPECT_EQ(typed.substr(std::min(file.Offset, typed.size()), r.Value.size()), r.Value);
      } else if (r.Found) {
        EXPECT_EQ(r.Value, "") << "a value from no argument";
      }
    }
  }
  EXPECT_EQ(KindLetters(ParamStatusList), c.Kinds);
}

// For TOp::Param, Direction carries the last index and Index the first.
const int kAll = -1;

}  // namespace

TEST(FindParam, Scenarios) {
  const char* help = "H HELP ? H2 HELP2 ??";
  const TScenario cases[] = {
      // Attached values.
      {"colon attached", {"-m:100"}, 2, true,
       {{.Op = TOp::Text, .Definition = "M MAX-LINES", .Found = true, .Value = "100",
         .ArgIndex = 0, .Switch = "-m", .Attached = true}},
       "A"},
      {"equals attached, long", {"x", "--max-lines=100", "y"}, 2, true,
       {{.Op = TOp::Text, .Definition = "M MAX-LINES", .Found = true, .Value = "100",
         .ArgIndex = 1, .Switch = "--max-lines", .Attached = true}},
       "UAU"},
      {"slash attached, separator inside value", {"/M=a:b=c"}, 2, true,
       {{.Op = TOp::Text, .Definition = "M", .Found = true, .Value = "a:b=c", .ArgIndex = 0,
         .Switch = "/M", .Attached = true}},
       "A"},
      {"attached on a no-value switch", {"-a:x"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A ALPHA", .Found = true, .Value = "x", .ArgIndex = 0,
         .Switch = "-a", .Attached = true}},
       "A"},
      {"mode 0 attaches nothing", {"-m:100", "-m=1"}, 0, true,
       {{.Op = TOp::Text, .Definition = "M MAX-LINES"}},
       "UU"},
      {"mode 1 attaches nothing", {"-m:100"}, 1, true,
       {{.Op = TOp::Text, .Definition = "M MAX-LINES"}},
       "U"},
      {"mode 3 attaches to a bare symbol", {"$:v"}, 3, true,
       {{.Op = TOp::Text, .Definition = "$", .Found = true, .Value = "v", .ArgIndex = 0,
         .Switch = "$", .Attached = true}},
       "A"},
      {"empty attached, value required: next argument supplies it", {"-m:", "100"}, 2, true,
       {{.Op = TOp::Param, .Definition = "M", .Index = 0, .Direction = kAll,
         .Flags = RequireValue, .Values = 1, .Found = true, .Value = "100", .ArgIndex = 0,
         .Switch = "-m", .Attached = true}},
       "IV"},
      {"empty attached, value required, nothing follows", {"-m:"}, 2, true,
       {{.Op = TOp::Param, .Definition = "M", .Index = 0, .Direction = kAll,
         .Flags = RequireValue, .Values = 1, .Value = "", .ArgIndex = 0, .Attached = true}},
       "I"},
      {"empty attached, value optional", {"-m:", "foo"}, 2, true,
       {{.Op = TOp::Text, .Definition = "M", .Found = true, .Value = "", .ArgIndex = 0,
         .Switch = "-m", .Attached = true}},
       "AU"},

      // Values that follow.
      {"value as next argument, every mode", {"-s", "x y"}, 0, true,
       {{.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "x y",
         .ArgIndex = 0, .Switch = "-s"}},
       "SV"},
      {"value switch last: found, empty value", {"a", "-s"}, 2, true,
       {{.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "", .ArgIndex = 1}},
       "US"},
      {"required value missing at the end", {"-s"}, 2, true,
       {{.Op = TOp::Param, .Definition = "S", .Index = 0, .Direction = kAll,
         .Flags = RequireValue, .Values = 1, .Default = "d", .Value = "", .ArgIndex = 0}},
       "I"},
      {"required value empty", {"-s", ""}, 2, true,
       {{.Op = TOp::Param, .Definition = "S", .Index = 0, .Direction = kAll,
         .Flags = RequireAllValues, .Values = 1, .Value = "", .ArgIndex = 0}},
       "IU"},
      {"optional value empty is still consumed", {"-s", ""}, 2, true,
       {{.Op = TOp::Text, .Definition = "S", .Found = true, .Value = "", .ArgIndex = 0}},
       "SV"},
      {"flag lookup consumes the next word", {"--audible-error", "foo"}, 2, true,
       {{.Op = TOp::Flag, .Definition = "  AUDIBLE-ERROR", .Found = true, .Value = "foo",
         .ArgIndex = 0}},
       "SV"},
      {"no-value switch leaves the next word alone", {"--audible-error", "foo"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "  AUDIBLE-ERROR", .Found = true, .Value = "",
         .ArgIndex = 0}},
       "SU"},
      {"two values", {"-r", "a", "b"}, 2, true,
       {{.Op = TOp::Param, .Definition = "R", .Index = 0, .Direction = kAll, .Values = 2,
         .Found = true, .Value = "a", .ArgIndex = 0, .Second = "b"}},
       "SVV"},
      {"two values, second missing, optional", {"-r", "a"}, 2, true,
       {{.Op = TOp::Param, .Definition = "R", .Index = 0, .Direction = kAll, .Values = 2,
         .Found = true, .Value = "a", .ArgIndex = 0, .Second = ""}},
       "SV"},
      {"two values, second missing, all required", {"-r", "a"}, 2, true,
       {{.Op = TOp::Param, .Definition = "R", .Index = 0, .Direction = kAll,
         .Flags = RequireAllValues, .Values = 2, .Value = "a", .ArgIndex = 0, .Second = ""}},
       "IV"},
      {"RequireValue does not require the second", {"-r", "a"}, 2, true,
       {{.Op = TOp::Param, .Definition = "R", .Index = 0, .Direction = kAll,
         .Flags = RequireValue, .Values = 2, .Found = true, .Value = "a", .ArgIndex = 0,
         .Second = ""}},
       "SV"},
      {"default text kept by a no-value match, absent option", {"-a"}, 2, true,
       {{.Op = TOp::Param, .Definition = "A", .Index = 0, .Direction = kAll, .Default = "d",
         .Found = true, .Value = "d", .ArgIndex = 0},
        {.Op = TOp::Param, .Definition = "B", .Index = 0, .Direction = kAll, .Values = 1,
         .Default = "d", .Value = "d"}},
       "S"},

      // Claims between lookups.
      {"value already claimed by an earlier lookup", {"-s", "-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A ALPHA", .Found = true, .ArgIndex = 1},
        {.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "-a",
         .ArgIndex = 0}},
       "IS"},
      {"a later lookup re-claims a value", {"-s", "-a"}, 2, true,
       {{.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "-a",
         .ArgIndex = 0},
        {.Op = TOp::Switch, .Definition = "A ALPHA", .Found = true, .ArgIndex = 1}},
       "SS"},
      {"a later lookup re-claims an Incomplete switch", {"-s"}, 2, true,
       {{.Op = TOp::Param, .Definition = "S", .Index = 0, .Direction = kAll,
         .Flags = RequireValue, .Values = 1, .ArgIndex = 0},
        {.Op = TOp::Switch, .Definition = "S", .Found = true, .ArgIndex = 0}},
       "S"},
      {"an alias in two definitions shares its value", {"--??", "v"}, 2, true,
       {{.Op = TOp::Flag, .Definition = "H HELP ??", .Found = true, .Value = "v", .ArgIndex = 0},
        {.Op = TOp::Text, .Definition = "V VERBOSE ??", .Found = true, .Value = "v",
         .ArgIndex = 0}},
       "SV"},
      {"help claimed first makes the search switch Incomplete", {"log", "-s", "-?"}, 2, true,
       {{.Op = TOp::Ex, .Definition = help, .Found = true, .ArgIndex = 2},
        {.Op = TOp::Text, .Definition = "S SEARCH", .Index = 1, .Found = true, .Value = "-?",
         .ArgIndex = 1}},
       "UIS"},

      // Duplicates.
      {"duplicate without ScanAll", {"-a", "-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Found = true, .ArgIndex = 0}},
       "SU"},
      {"duplicate with ScanAll", {"-a", "x", "--alpha"}, 2, true,
       {{.Op = TOp::Ex, .Definition = "A ALPHA", .Flags = ScanAll, .Found = true,
         .ArgIndex = 2, .Switch = "--alpha"}},
       "SUS"},
      {"ScanAll describes the last match only", {"-m:5", "-m"}, 2, true,
       {{.Op = TOp::Param, .Definition = "M", .Index = 0, .Direction = kAll, .Flags = ScanAll,
         .Values = 1, .Found = true, .Value = "", .ArgIndex = 1, .Switch = "-m"}},
       "AS"},
      {"ScanAll: a copy consumed as a value is re-claimed", {"-a", "-a"}, 2, true,
       {{.Op = TOp::Param, .Definition = "A", .Index = 0, .Direction = kAll, .Flags = ScanAll,
         .Values = 1, .Found = true, .Value = "", .ArgIndex = 1}},
       "SS"},

      // Ranges.
      {"SearchFrom an index", {"-a", "x", "-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Index = 1, .Found = true, .ArgIndex = 2}},
       "UUS"},
      {"SearchFrom below 0 is the first argument", {"-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Index = -7, .Found = true, .ArgIndex = 0}},
       "S"},
      {"SearchFrom past the end finds nothing", {"-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Index = 1}},
       "U"},
      {"SearchUpTo stops at the index", {"x", "y", "-a"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Index = 1, .Direction = SearchUpTo}},
       "UUU"},
      {"SearchUpTo -1 and past the end mean the last", {"x", "-a", "-b"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "A", .Index = -1, .Direction = SearchUpTo,
         .Found = true, .ArgIndex = 1},
        {.Op = TOp::Switch, .Definition = "B", .Index = 99, .Direction = SearchUpTo,
         .Found = true, .ArgIndex = 2}},
       "USS"},
      {"a value may come from beyond the searched range", {"-s", "v"}, 2, true,
       {{.Op = TOp::Text, .Definition = "S", .Index = 0, .Direction = SearchUpTo,
         .Found = true, .Value = "v", .ArgIndex = 0}},
       "SV"},
      {"empty table", {}, 2, true,
       {{.Op = TOp::Text, .Definition = "S"},
        {.Op = TOp::Positional, .Index = 1, .Value = ""}},
       ""},

      // Positionals.
      {"file name then an option after it", {"log.txt", "-d"}, 2, true,
       {{.Op = TOp::Positional, .Index = 1, .Value = "log.txt"},
        {.Op = TOp::Switch, .Definition = "D DEBUG", .Index = 1, .Found = true, .ArgIndex = 1}},
       "PS"},
      {"option in the file-name place is taken as the name", {"-d", "log.txt"}, 2, true,
       {{.Op = TOp::Positional, .Index = 1, .Value = "-d"},
        {.Op = TOp::Switch, .Definition = "D DEBUG", .Index = 1}},
       "PU"},
      {"a lookup over everything re-claims the positional", {"-x"}, 2, true,
       {{.Op = TOp::Positional, .Index = 1, .Value = "-x"},
        {.Op = TOp::Text, .Definition = "X EXPORT-CONFIG", .Index = -1, .Found = true,
         .Value = "", .ArgIndex = 0}},
       "S"},
      {"a positional is not free to be a value", {"-s", "log"}, 2, true,
       {{.Op = TOp::Positional, .Index = 2, .Value = "log"},
        {.Op = TOp::Text, .Definition = "S", .Found = true, .Value = "log", .ArgIndex = 0}},
       "IP"},
      {"positions out of range and an empty argument", {"", "b"}, 2, true,
       {{.Op = TOp::Positional, .Index = 0, .Value = ""},
        {.Op = TOp::Positional, .Index = -3, .Value = ""},
        {.Op = TOp::Positional, .Index = 3, .Value = ""},
        {.Op = TOp::Positional, .Index = 1, .Value = ""},
        {.Op = TOp::Positional, .Index = 2, .Value = "b"}},
       "UP"},

      // Definition strings.
      {"separators: blanks, commas, semicolons", {"--alpha", "/b"}, 2, true,
       {{.Op = TOp::Switch, .Definition = " ,;A,;ALPHA; ", .Found = true, .ArgIndex = 0},
        {.Op = TOp::Switch, .Definition = "  ;B", .Found = true, .ArgIndex = 1}},
       "SS"},
      {"case ignored on both sides", {"/AlPhA"}, 2, true,
       {{.Op = TOp::Switch, .Definition = "a alpha", .Found = true, .ArgIndex = 0,
         .Switch = "/AlPhA"}},
       "S"},
      {"empty definition finds nothing", {"-", "--", ""}, 3, false,
       {{.Op = TOp::Ex, .Definition = " ,; ", .Flags = ScanAll}},
       "UUU"},

      // The flat-file reader's configuration: mode 0, long names with "-".
      {"reader", {"x.txt", "-help", "-s", "-p", "-version-only", "-s:foo"}, 0, false,
       {{.Op = TOp::Ex, .Definition = "H HELP ? HELP2 ??", .Found = true, .ArgIndex = 1},
        {.Op = TOp::Ex, .Definition = "VERSION-ONLY BUILD-ONLY", .Found = true, .ArgIndex = 4},
        {.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "-p",
         .ArgIndex = 2},
        {.Op = TOp::Switch, .Definition = "P PARTIAL-MATCH", .Found = true, .ArgIndex = 3}},
       "USSSSU"},
      {"reader: -s as the last argument", {"x.txt", "-s"}, 0, false,
       {{.Op = TOp::Text, .Definition = "S SEARCH", .Found = true, .Value = "", .ArgIndex = 1}},
       "US"},
      {"reader: the file-name place answers lookups too", {"-b"}, 0, false,
       {{.Op = TOp::Switch, .Definition = "B BANNER", .Found = true, .ArgIndex = 0}},
       "S"},
  };
  for (const TScenario& c : cases) RunScenario(c);
}

TEST(FindParam, AcceptedSpellings) {
  struct {
    const char* arg;
    const char* definition;
    int mode;
    bool doubleDash;
    bool match;
  } cases[] = {
      {"-h", "H HELP ? H2 HELP2 ??", 2, true, true},
      {"/H", "H HELP ? H2 HELP2 ??", 2, true, true},
      {"--help", "H HELP ? H2 HELP2 ??", 2, true, true},
      {"/help", "H HELP ? H2 HELP2 ??", 2, true, true},
      {"-help", "H HELP ? H2 HELP2 ??", 2, true, false},
      {"-help", "H HELP ? H2 HELP2 ??", 2, false, true},
      {"--h", "H HELP ? H2 HELP2 ??", 2, false, false},
      {"h", "H HELP ? H2 HELP2 ??", 3, true, false},
      {"?", "H HELP ? H2 HELP2 ??", 3, true, false},
      {"-?", "H HELP ? H2 HELP2 ??", 0, true, true},
      {"/?", "H HELP ? H2 HELP2 ??", 0, true, true},
      {"--??", "H HELP ? H2 HELP2 ??", 0, true, true},
      {"/??", "H HELP ? H2 HELP2 ??", 0, true, true},
      {"-??", "H HELP ? H2 HELP2 ??", 0, true, false},
      {"??", "H HELP ? H2 HELP2 ??", 3, true, false},
      {"-h2", "H HELP ? H2 HELP2 ??", 0, true, false},
      {"--H2", "H HELP ? H2 HELP2 ??", 0, true, true},
      {"--help2:", "H HELP ? H2 HELP2 ??", 0, true, false},
      {"-hx", "H HELP ? H2 HELP2 ??", 2, true, false},
      {"-h:x", "H HELP ? H2 HELP2 ??", 2, true, true},
      {"$", "$ DOLLAR", 1, true, true},
      {"$", "$ DOLLAR", 3, true, true},
      {"$", "$ DOLLAR", 0, true, false},
      {"$", "$ DOLLAR", 2, true, false},
      {"/$", "$ DOLLAR", 0, true, true},
      {"-", "-", 1, true, true},
      {"--", "-", 0, true, true},
      {"-", "H HELP ? H2 HELP2 ??", 3, false, false},
      {"--", "H HELP ? H2 HELP2 ??", 3, false, false},
      {"/", "H HELP ? H2 HELP2 ??", 3, false, false},
      {":", "H HELP ? H2 HELP2 ??", 3, false, false},
      {"=", "H HELP ? H2 HELP2 ??", 3, false, false},
      {"", "H HELP ? H2 HELP2 ??", 3, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arg) + " / " + c.definition + " / mode " + std::to_string(c.mode) +
                 (c.doubleDash ? " / --" : " / -"));
    ResetParamEngine({c.arg});
    SwitchValueMode = c.mode;
    LongNamesNeedDoubleDash = c.doubleDash;
    EXPECT_EQ(FindSwitch(ParamStatusList, c.definition, -1, SearchFrom).Found, c.match);
  }
}

TEST(FindSwitchNumber, ReadsByTheNumberRule) {
  const std::int64_t d = 2147483647;
  struct {
    TStringArray args;
    std::int64_t want;
    const char* value;
    bool defaulted;
    const char* kinds;
  } cases[] = {
      {{"-m", "1,000"}, 1000, "1000", false, "SV"},
      {{"-m", "12.9"}, 12, "12", false, "SV"},
      {{"-m", "abc"}, d, "2147483647", true, "SV"},
      {{"-m", "2147483647"}, d, "2147483647", true, "SV"},
      {{"-m:-5"}, -5, "-5", false, "A"},
      {{"--max-lines=0"}, 0, "0", false, "A"},
      {{"-m"}, d, "2147483647", true, "S"},
      {{"x"}, d, "2147483647", true, "U"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    ResetParamEngine(c.args);
    SwitchValueMode = 2;
    std::int64_t number = 7;
    TFindParamRec r = FindSwitchNumber(ParamStatusList, "M MAX-LINES", number, d, -1, SearchFrom);
    EXPECT_EQ(number, c.want);
    EXPECT_EQ(r.Value, c.value);
    EXPECT_EQ(r.NumberDefaulted, c.defaulted);
    EXPECT_EQ(LastNumberDefaulted, c.defaulted);
    EXPECT_EQ(KindLetters(ParamStatusList), c.kinds);
  }
}

TEST(FindParam, AttachedValueIsCutAt999Characters) {
  const std::string big(1 << 20, 'v');
  ResetParamEngine({"-s:" + std::string(1500, 'x'), "-t", big});
  SwitchValueMode = 2;
  std::string text;
  FindSwitchText(ParamStatusList, "S", text, -1, SearchFrom);
  EXPECT_EQ(text, std::string(999, 'x'));
  // A value given as the next argument is not cut.
  FindSwitchText(ParamStatusList, "T", text, -1, SearchFrom);
  EXPECT_EQ(text, big);
}

TEST(FindParam, KnownAliasesCollectsEachWordOnce) {
  ResetParamEngine({});
  FindSwitch(ParamStatusList, "  error-delay", -1, SearchFrom);
  FindSwitch(ParamStatusList, "H Help,?;h2", -1, SearchFrom);
  FindSwitch(ParamStatusList, "h2 HELP ERROR-DELAY", -1, SearchFrom);
  EXPECT_EQ(KnownAliases, "ERROR-DELAY H HELP ? H2");
  // Edited from outside, the list is still kept word by word.
  KnownAliases = "HELP";
  FindSwitch(ParamStatusList, "H HELP", -1, SearchFrom);
  EXPECT_EQ(KnownAliases, "HELP H");
}

TEST(FindParam, LogRecordsEveryMatchWhenAsked) {
  ResetParamEngine({"-a", "-a:1", "x"});
  SwitchValueMode = 2;
  FindSwitchEx(ParamStatusList, "A", ScanAll, -1, SearchFrom);
  EXPECT_TRUE(ParamRecLog.empty());

  LogParamMatches = true;
  FindSwitchEx(ParamStatusList, "A", ScanAll, -1, SearchFrom);
  FindSwitch(ParamStatusList, "B", -1, SearchFrom);
  ASSERT_EQ(ParamRecLog.size(), 2u);
  EXPECT_EQ(ParamRecLog[0].ArgIndex, 0);
  EXPECT_FALSE(ParamRecLog[0].ValueAttached);
  EXPECT_EQ(ParamRecLog[1].ArgIndex, 1);
  EXPECT_EQ(ParamRecLog[1].Value, "1");
}

TEST(ParamStatus, InitAndFlags) {
  ResetParamEngine({"log.txt", "-m:5", "-s"});
  SwitchValueMode = 2;
  std::string text;
  TakePositionalParam(ParamStatusList, text, 1);
  FindSwitchText(ParamStatusList, "M", text, 1, SearchFrom);
  FindSwitchText(ParamStatusList, "S", text, 1, SearchFrom);
  const TParamStatusArray& l = ParamStatusList;
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[1].Text, "-m:5");
  EXPECT_TRUE(l[0].IsPositional);
  EXPECT_FALSE(l[0].IsSwitch);
  EXPECT_TRUE(l[1].IsSwitch && l[1].ValueAttached && l[1].HasValue);
  EXPECT_TRUE(l[2].IsSwitch);
  EXPECT_FALSE(l[2].ValueAttached || l[2].HasValue);
}

TEST(ParamEngine, ResetRestoresStartState) {
  ResetParamEngine({"-a"});
  SwitchValueMode = 3;
  LongNamesNeedDoubleDash = false;
  LogParamMatches = true;
  HelpParam = FindSwitch(ParamStatusList, "A", -1, SearchFrom);
  HelpSwitchSummary = "x";
  ResetParamEngine({"b", "c"});
  EXPECT_EQ(SwitchValueMode, 0);
  EXPECT_TRUE(LongNamesNeedDoubleDash);
  EXPECT_FALSE(LogParamMatches);
  EXPECT_TRUE(ParamRecLog.empty());
  EXPECT_EQ(KnownAliases, "");
  EXPECT_EQ(HelpSwitchSummary, "");
  EXPECT_FALSE(HelpParam.Found);
  EXPECT_EQ(KindLetters(ParamStatusList), "UU");
  EXPECT_EQ(ParamStatusList[1].Text, "c");
  EXPECT_EQ(CustomSyntaxStats.Name, "Custom Syntax Validation Record");
  EXPECT_EQ(DefaultSyntaxStats.Name, "Default Syntax Validation Record");
}

TEST(ParamArrays, ResetSizesToEmptyElements) {
  TStringArray s = {"a"};
  TIntegerArray n = {5, 6};
  TParamRecArray r(3);
  r[0].Found = true;
  TParamStatusArray p(1);
  p[0].Kind = TParamKind::Switch;
  ResetStringArray(s, 2);
  ResetIntegerArray(n, 3);
  ResetParamRecArray(r, 1);
  ResetParamStatusArray(p, 2);
  EXPECT_EQ(s, TStringArray({"", ""}));
  EXPECT_EQ(n, TIntegerArray({0, 0, 0}));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_FALSE(r[0].Found);
  EXPECT_EQ(KindLetters(p), "UU");
  ResetStringArray(s, -4);
  EXPECT_TRUE(s.empty());
}
