#include "validation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "startup.h"
#include "time_limits.h"

namespace {

// The tally program's lookups, in its table order, with its settings.
void TallyLookups() {
  TParamStatusArray& l = ParamStatusList;
  SwitchValueMode = 2;
  std::string text;
  bool flag;
  std::int64_t number;
  TakePositionalParam(l, text, 1);
  FindSwitch(l, "D DEBUG DEBUG-MODE", 1, SearchFrom);
  FindSwitchFlag(l, "  ERROR-DELAY", flag, 1, SearchFrom);
  FindSwitchFlag(l, "  AUDIBLE-ERROR", flag, 1, SearchFrom);
  FindSwitchEx(l, "H HELP ? H2 HELP2 ??", 0, -1, SearchFrom);
  FindSwitchEx(l, "V VERBOSE BUILD H2 HELP2 ??", 0, -1, SearchFrom);
  FindSwitchEx(l, "  VERSION-ONLY BUILD-ONLY", 0, -1, SearchFrom);
  FindSwitchEx(l, "I INFO", 0, -1, SearchFrom);
  FindSwitch(l, "B BANNER", 1, SearchFrom);
  FindSwitchNumber(l, "M MAX-LINES", number, 2147483647, 1, SearchFrom);
  FindSwitchText(l, "S SEARCH", text, 1, SearchFrom);
  for (const char* d : {"E EXACT-MATCH", "L LIST-ONLY", "A ALPHA", "N NUMBER", "U USE-COMMA",
                        "O NO-COMMA ONLY-DIGITS"})
    FindSwitch(l, d, 1, SearchFrom);
  FindSwitchText(l, "C CUSTOM-MARKER", text, 1, SearchFrom);
  FindSwitchText(l, "X EXPORT-CONFIG", text, -1, SearchFrom);
  for (const char* d :
       {"  APPEND", "NX NXLOG", "TF TFTPD TFTPD32 LEGACY", "KS KIWI KIWISYSLOG SOLARWINDS",
        "WU WHATSUP IPSWITCH", "WS WINSYSLOG ADISCON", "VS VISUALSYSLOG", "FV FASTVUE"})
    FindSwitch(l, d, 1, SearchFrom);
  FindSwitchText(l, "CS CUSTOM-SYSLOG", text, 1, SearchFrom);
}

bool TallyValidate() {
  return ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1);
}

const char kTallySummary[] = "-H --HELP -? --H2 --HELP2 --?? --VERSION-ONLY --BUILD-ONLY --INFO";

// The Distinct list by its plain rule: a text joins it unless it occurs
// anywhere in the list so far, case ignored.
std::string PlainDistinctList(const TStringArray& args) {
  std::string list, lower;
  for (const std::string& a : args) {
    const std::string text = a.empty() ? "\"\"" : a;
    if (lower.find(LowerAscii(text)) != std::string::npos) continue;
    list += QuoteIfNeeded(text) + ' ';
    lower = LowerAscii(list);
  }
  return list;
}

}  // namespace

TEST(ValidateCommandLine, TallyCommandLines) {
  struct {
    TStringArray args;
    bool valid;
    const char* unrecognised;
    const char* incomplete;
    const char* recognised;
  } cases[] = {
      {{"C:\\Logs\\Syslog.TXT", "--TF", "-a"}, true, "", "", "--TF -a "},
      {{}, false, "", "", ""},
      {{"log.txt"}, false, "", "", ""},
      {{"log.txt", "-a", "-a"}, false, "-a ", "", "-a "},
      {{"log.txt", "-q"}, false, "-q ", "", ""},
      {{"-d", "log.txt"}, false, "log.txt ", "", ""},
      {{"log.txt", "-d", "--audible-error", "foo"}, true, "", "", "-d --audible-error "},
      {{"log.txt", "-?", "-s"}, true, "", "", "-? -s "},
      {{"log.txt", "-s", "-?"}, false, "", "-s ", "-? "},
      {{"log.txt", "-?", "-?"}, false, "-? ", "", "-? "},
      {{"log.txt", "-s:Create", "-a"}, true, "", "", "-a -s "},
      {{"log.txt", "-m", "1,000"}, true, "", "", "-m "},
      {{"log.txt", "--max-lines=5"}, false, "", "", ""},  // "=" does not split the word
      {{"log.txt", "-m:"}, true, "", "", "-m "},
      {{"log.txt", "", "-a"}, false, "\"\" ", "", "-a "},
      {{"log.txt", "two words"}, false, "\"two words\" ", "", ""},
      {{"log.txt", "--kiwi", "--nx", "-d"}, true, "", "", "--kiwi --nx -d "},
      {{"-x"}, false, "", "", ""},
      {{"log.txt", "-x", "out.cfg"}, true, "", "", "-x "},
      {{"log.txt", "--cs"}, true, "", "", "--cs "},
      {{"log.txt", "log.txt"}, false, "log.txt ", "", ""},
  };
  for (const auto& c : cases) {
    std::string trace;
    for (const std::string& a : c.args) trace += "[" + a + "]";
    SCOPED_TRACE(trace);
    ResetParamEngine(c.args);
    TallyLookups();
    EXPECT_EQ(TallyValidate(), c.valid);
    const TParamStatisticsRec& s = CustomSyntaxStats;
    EXPECT_EQ(s.SyntaxValid, c.valid);
    EXPECT_TRUE(s.Validated);
    EXPECT_EQ(s.UnrecognisedList, c.unrecognised);
    EXPECT_EQ(s.IncompleteList, c.incomplete);
    EXPECT_EQ(s.RecognisedSwitches, c.recognised);
    EXPECT_EQ(s.UnrecognisedCount == 0, std::string(c.unrecognised).empty());
    EXPECT_EQ(HelpSwitchSummary, kTallySummary);
    EXPECT_EQ(s.Name, "Custom Syntax Validation Record");
  }
}

TEST(ValidateCommandLine, ListsByKindAndPosition) {
  ResetParamEngine({"log.txt", "-a", "-s", "v", "-m:5", "", "zz", "-r"});
  SwitchValueMode = 2;
  std::string text;
  TakePositionalParam(ParamStatusList, text, 1);
  FindSwitch(ParamStatusList, "A ALPHA", 1, SearchFrom);
  FindSwitchText(ParamStatusList, "S SEARCH", text, 1, SearchFrom);
  FindSwitchText(ParamStatusList, "M", text, 1, SearchFrom);
  FindParam(ParamStatusList, "R", -1, 1, 1, RequireValue, "", "");
  ASSERT_FALSE(ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1));

  const TParamStatisticsRec& s = CustomSyntaxStats;
  EXPECT_EQ(s.FirstIndex, 1);
  EXPECT_EQ(s.LastIndex, 7);
  EXPECT_EQ(s.InRangeList, "-a -s v -m:5 \"\" zz -r ");
  EXPECT_EQ(s.InRangeCount, 7);
  EXPECT_EQ(s.NonEmptyList, "-a -s v -m:5 zz -r ");
  EXPECT_EQ(s.NonEmptyCount, 6);
  EXPECT_EQ(s.CheckedList, "-a -s v -m:5 \"\" zz -r ");
  EXPECT_EQ(s.SwitchList, "-a -s ");
  EXPECT_EQ(s.SwitchCount, 2);
  EXPECT_EQ(s.ValueList, "v ");
  EXPECT_EQ(s.AttachedList, "-m:5 ");
  EXPECT_EQ(s.IncompleteList, "-r ");
  EXPECT_EQ(s.IncompleteCount, 1);
  EXPECT_EQ(s.UnrecognisedList, "\"\" zz ");
  EXPECT_EQ(s.UnrecognisedCount, 2);
  EXPECT_EQ(s.OtherList, "-m:5 \"\" zz -r ");
  EXPECT_EQ(s.OtherCount, 4);
  EXPECT_EQ(s.OutOfRangeList, "log.txt ");
  EXPECT_EQ(s.PositionalList, "log.txt ");
  EXPECT_EQ(s.PositionalCount, 1);
  EXPECT_EQ(s.RecognisedSwitches, "-a -s -m ");
  EXPECT_FALSE(s.NoRecognisedSwitch);
  EXPECT_EQ(s.AcceptedSpellings, "/A -A /ALPHA --ALPHA /S -S /SEARCH --SEARCH /M -M /R -R ");

  // The default record was validated over everything, once.
  const TParamStatisticsRec& d = DefaultSyntaxStats;
  EXPECT_TRUE(d.Validated);
  EXPECT_EQ(d.Name, "Default Syntax Validation Record");
  EXPECT_EQ(d.FirstIndex, 0);
  EXPECT_EQ(d.InRangeCount, 8);
  EXPECT_EQ(d.OutOfRangeCount, 0);
  EXPECT_EQ(d.PositionalList, "log.txt ");

  // A later lookup re-claims the Incomplete switch; only the record asked
  // for is validated again.
  FindSwitch(ParamStatusList, "R", -1, SearchFrom);
  TParamStatisticsRec other;
  ValidateCommandLine(other, ParamStatusList, KnownAliases, true, 1, -1);
  EXPECT_EQ(other.IncompleteList, "");
  EXPECT_EQ(other.SwitchList, "-a -s -r ");
  EXPECT_EQ(d.IncompleteList, "-r ");  // not validated again
}

TEST(ValidateCommandLine, DistinctIgnoresCaseAndFindsSubstrings) {
  struct {
    TStringArray args;
    const char* want;
    int count;
  } cases[] = {
      {{"-a", "-A", "a", "-ab", "x y", "x", "", "\"\"", "Y\" "}, "-a -ab \"x y\" \"\" ", 4},
      // Texts of 4 bytes and more, again in other letter case, and inside longer ones.
      {{"--alpha", "--ALPHA", "alph", "--alphabet", "-Alpha", "--Alphabet", "--search", "--SEARCH", "arch"},
       "--alpha --alphabet --search ",
       3},
      // A text found across the blank between two entries.
      {{"-one", "-two", "ONE -TW", "e -t", "-two -three"}, "-one -two \"-two -three\" ", 3},
      {{"q r", "Q R", "\"q", "r\" -s", "r\" "}, "\"q r\" \"r\" -s\" ", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    ResetParamEngine(c.args);
    ValidateCommandLine(CustomSyntaxStats, ParamStatusList, "", false, 0, -1);
    EXPECT_EQ(CustomSyntaxStats.DistinctList, c.want);
    EXPECT_EQ(CustomSyntaxStats.DistinctCount, c.count);
  }
  // Many texts over few letters, so that most are found somewhere in the
  // list, against the plain rule.
  std::mt19937 random(29);
  TStringArray args;
  while (args.size() < 3000) {
    std::string a(1 + random() % 12, ' ');
    for (char& ch : a) ch = "aAb -\""[random() % 6];
    args.push_back(a);
  }
  ResetParamEngine(args);
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, "", false, 0, -1);
  EXPECT_EQ(CustomSyntaxStats.DistinctList, PlainDistinctList(args));
}

TEST(ValidateCommandLine, RangesAndVerdicts) {
  struct {
    TStringArray args;
    int first, last;
    bool strict;
    const char* aliases;
    bool valid;
    int inRange, outOfRange, firstStored, lastStored;
    bool noRecognised;
  } cases[] = {
      // The empty table: the verdict rests on the first index and the strict check.
      {{}, 1, -1, false, "A", false, 0, 0, 0, 0, false},
      {{}, 0, -1, false, "A", true, 0, 0, 0, 0, false},
      {{}, -1, -1, false, "A", true, 0, 0, 0, 0, false},
      {{}, 0, -1, true, "A", false, 0, 0, 0, 0, true},
      {{}, 0, -1, true, "", true, 0, 0, 0, 0, false},  // nothing to check against
      // Clamping.
      {{"-a", "-a"}, -5, 99, false, "A", true, 2, 0, 0, 1, false},
      {{"-a", "-a", "-a"}, 1, 1, false, "A", true, 1, 2, 1, 1, false},
      {{"-a", "-a"}, 2, -1, false, "A", false, 0, 2, 2, 1, false},
      {{"-a", "-a", "-a"}, 2, 1, false, "A", false, 0, 3, 2, 1, false},
      // Only positionals: strict finds no recognised switch.
      {{"p", "q"}, 0, -1, true, "A", false, 2, 0, 0, 1, true},
      {{"p", "q"}, 0, -1, false, "A", true, 2, 0, 0, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.args.size()) + " args, range " + std::to_string(c.first) + ".." +
                 std::to_string(c.last) + (c.strict ? " strict" : ""));
    ResetParamEngine(c.args);
    std::string text;
    for (int i = 1; i <= static_cast<int>(c.args.size()); ++i)
      if (c.args[static_cast<std::size_t>(i - 1)] != "-a")
        TakePositionalParam(ParamStatusList, text, i);
    FindSwitchEx(ParamStatusList, "A", ScanAll, -1, SearchFrom);
    TParamStatisticsRec s;
    EXPECT_EQ(ValidateCommandLine(s, ParamStatusList, c.aliases, c.strict, c.first, c.last),
              c.valid);
    EXPECT_EQ(s.InRangeCount, c.inRange);
    EXPECT_EQ(s.OutOfRangeCount, c.outOfRange);
    EXPECT_EQ(s.FirstIndex, c.firstStored);
    EXPECT_EQ(s.LastIndex, c.lastStored);
    EXPECT_EQ(s.NoRecognisedSwitch, c.noRecognised);
  }
}

TEST(ValidateCommandLine, ResetKeepsOrSetsTheName) {
  TParamStatisticsRec s;
  s.Name = "Mine";
  s.SyntaxValid = false;
  s.Validated = true;
  s.NoRecognisedSwitch = true;
  s.SwitchCount = 9;
  s.UnrecognisedList = "x ";
  s.AcceptedSpellings = "/A ";
  ResetSyntaxStats(s, "");
  EXPECT_EQ(s.Name, "Mine");
  EXPECT_TRUE(s.SyntaxValid);
  EXPECT_FALSE(s.Validated || s.NoRecognisedSwitch);
  EXPECT_EQ(s.SwitchCount, 0);
  EXPECT_EQ(s.UnrecognisedList, "");
  EXPECT_EQ(s.AcceptedSpellings, "");
  ResetSyntaxStats(s, "Other");
  EXPECT_EQ(s.Name, "Other");
}

TEST(AcceptedSpellingsList, Table) {
  struct {
    const char* aliases;
    int mode;
    bool doubleDash;
    const char* want;
  } cases[] = {
      {"H HELP", 0, true, "/H -H /HELP --HELP "},
      {"H HELP", 0, false, "/H -H /HELP -HELP --HELP "},
      {"H HELP", 2, true, "/H -H /H: -H: /H= -H= /HELP --HELP /HELP: --HELP: /HELP= --HELP= "},
      {"$ ?", 1, true, "$ /$ -$ /? -? "},
      {"$", 0, true, "/$ -$ "},
      {"H,H;;H", 0, true, "/H -H "},
      {"-H H", 0, false, "/-H --H ---H /H "},  // "-H " is already inside "--H "
      {"", 0, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.aliases) + " / mode " + std::to_string(c.mode));
    ResetParamEngine({});
    LongNamesNeedDoubleDash = c.doubleDash;
    EXPECT_EQ(AcceptedSpellingsList(c.aliases, c.mode), c.want);
  }
}

TEST(HelpSwitchSummary, FollowsTheDefinitionsLookedUp) {
  struct {
    std::vector<const char*> definitions;
    const char* want;
  } cases[] = {
      {{"H HELP ? HELP2 ??", "V VERBOSE BUILD HELP2 ??", "VERSION-ONLY BUILD-ONLY", "I INFO"},
       "-H --HELP -? --HELP2 --?? --VERSION-ONLY --BUILD-ONLY --INFO"},
      {{"I INFO", "H"}, "-H --INFO"},
      {{"D DEBUG"}, ""},
      // The test is a plain substring test: "SEARCH " holds "H ".
      {{"S SEARCH"}, "-H"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want);
    ResetParamEngine({});
    for (const char* d : c.definitions) FindSwitch(ParamStatusList, d, -1, SearchFrom);
    ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, false, 0, -1);
    EXPECT_EQ(HelpSwitchSummary, c.want);
  }
  // Recomputed by every validation from the aliases known by then.
  ResetParamEngine({});
  FindSwitch(ParamStatusList, "I INFO", -1, SearchFrom);
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, false, 0, -1);
  EXPECT_EQ(HelpSwitchSummary, "--INFO");
  FindSwitch(ParamStatusList, "H HELP", -1, SearchFrom);
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, false, 0, -1);
  EXPECT_EQ(HelpSwitchSummary, "-H --HELP --INFO");
}

TEST(ValidateCommandLine, HostileArgumentsGetAVerdict) {
  std::mt19937 random(20240611);
  TStringArray args;
  const char* specials[] = {"",    "-",  "--", "/",  ":",  "=", "-:", "--=",   "/:",
                            "-m:", "-s", "?",  "??", "-?", "$", "\"", "\" \"", " "};
  for (const char* s : specials) args.push_back(s);
  std::size_t total = 0;
  while (args.size() < 10000) {
    std::string a(random() % 200, ' ');
    for (char& ch : a) ch = static_cast<char>(1 + random() % 255);
    if (random() % 4 == 0 && !a.empty()) a[0] = "-/"[random() % 2];
    total += a.size();
    args.push_back(a);
  }
  args.push_back("-s:" + std::string(1 << 20, 'q'));
  args.push_back("-c");
  args.push_back(std::string(1 << 20, '\xff'));
  ASSERT_GT(total, 900000u);
  // Every one of these joins the Distinct list: a search of the list so far
  // for each made this take a minute.
  TStringArray distinct = {"log.txt"};
  std::string distinctList;
  for (int i = 0; i < 100000; ++i) {
    distinct.push_back("-zz" + std::to_string(i));
    distinctList += distinct.back() + ' ';
  }
  struct {
    const char* what;
    const TStringArray& args;
    int lastMode;  // the modes change only the lookups
    const std::string* distinctList;
  } cases[] = {{"random bytes", args, 3, nullptr},
               {"100,000 distinct unknown arguments", distinct, 0, &distinctList}};

  for (const auto& c : cases) {
    for (int mode = 0; mode <= c.lastMode; ++mode) {
      SCOPED_TRACE(std::string(c.what) + ", mode " + std::to_string(mode));
      const TStringArray& args = c.args;
      auto start = std::chrono::steady_clock::now();
      ResetParamEngine(args);
      TallyLookups();
      SwitchValueMode = mode;
      LongNamesNeedDoubleDash = mode % 2 == 0;
      FindSwitchEx(ParamStatusList, "- -- / : = ? ?? $ ~", ScanAll, -1, SearchFrom);
      FindParam(ParamStatusList, "S", -1, -1, 2, ScanAll | RequireAllValues, "", "");
      bool valid = TallyValidate();
      double seconds =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      // Linear work takes about a second in a debug build; a quadratic pass
      // takes minutes, so the bound leaves room for a loaded machine.
      EXPECT_LT(seconds, 30.0 * kTimeLimitFactor);

      const TParamStatisticsRec& s = CustomSyntaxStats;
      const int n = static_cast<int>(args.size());
      // The counters wrap at 16 bits.
      auto wrapped = [](int count) { return static_cast<std::uint16_t>(count); };
      EXPECT_EQ(wrapped(s.InRangeCount + s.OutOfRangeCount), wrapped(n));
      EXPECT_EQ(s.CheckedCount, wrapped(n - 1));
      int byKind = s.UnrecognisedCount + s.SwitchCount + s.ValueCount + s.AttachedCount +
                   s.IncompleteCount + s.PositionalCount;
      EXPECT_EQ(wrapped(byKind), wrapped(n - 1 + (ParamStatusList[0].Kind == TParamKind::Positional ? 1 : 0)));
      EXPECT_EQ(s.OtherCount, wrapped(n - 1 - s.SwitchCount - s.ValueCount));
      EXPECT_EQ(valid, s.UnrecognisedCount == 0 && s.IncompleteCount == 0 && !s.NoRecognisedSwitch);
      EXPECT_LE(s.DistinctCount, s.CheckedCount);
      if (c.distinctList) {
        EXPECT_TRUE(s.DistinctList == *c.distinctList);
      }
      for (const TParamStatusRec& a : ParamStatusList)
        EXPECT_TRUE(a.Kind >= TParamKind::Unclaimed && a.Kind <= TParamKind::Positional);
    }
  }
}

TEST(ValidateCommandLine, CountersWrapAtSixteenBits) {
  const int n = 70000;
  ResetParamEngine(TStringArray(n, "-a"));
  FindSwitchEx(ParamStatusList, "A", ScanAll, -1, SearchFrom);
  EXPECT_TRUE(ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 0, -1));
  const TParamStatisticsRec& s = CustomSyntaxStats;
  EXPECT_EQ(s.SwitchCount, n - 65536);
  EXPECT_EQ(s.InRangeCount, n - 65536);
  EXPECT_EQ(s.LastIndex, n - 1 - 65536);
  EXPECT_EQ(s.DistinctCount, 1);
  EXPECT_EQ(s.SwitchList.size(), 3u * n);  // the lists keep everything

  // Exactly 65,536 arguments in range: the counter reads 0, the verdict
  // still sees them.
  ResetParamEngine(TStringArray(65537, "-a"));
  FindSwitchEx(ParamStatusList, "A", ScanAll, -1, SearchFrom);
  EXPECT_TRUE(ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1));
  EXPECT_EQ(CustomSyntaxStats.InRangeCount, 0);

  ResetParamEngine(TStringArray(n, "x"));
  EXPECT_FALSE(ValidateCommandLine(CustomSyntaxStats, ParamStatusList, "", false, 0, -1));
  EXPECT_EQ(CustomSyntaxStats.UnrecognisedCount, n - 65536);
}

TEST(ParamEngine, StartupBuildsTheTableAndNamesTheRecords) {
  ResetParamEngine({"stale"});
  LogParamMatches = true;
  FindSwitch(ParamStatusList, "S", -1, SearchFrom);
  ParamRecLog.resize(2);
  CustomSyntaxStats.Name = "x";
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, "", false, 0, -1);

  char prog[] = "prog", a[] = "-a", b[] = "b c", empty[] = "";
  char* argv[] = {prog, a, b, empty};
  OrvellaStartup(4, argv);
  ASSERT_EQ(ParamStatusList.size(), 3u);
  EXPECT_EQ(ParamStatusList[1].Text, "b c");
  EXPECT_EQ(ParamStatusList[2].Text, "");
  EXPECT_EQ(ParamStatusList[0].Kind, TParamKind::Unclaimed);
  EXPECT_TRUE(ParamRecLog.empty());
  EXPECT_EQ(CustomSyntaxStats.Name, "Custom Syntax Validation Record");
  EXPECT_FALSE(CustomSyntaxStats.Validated);
  EXPECT_FALSE(DefaultSyntaxStats.Validated);
  EXPECT_EQ(DefaultSyntaxStats.Name, "Default Syntax Validation Record");
}
