#include "options.h"

#include "run_state.h"
#include "syntax_report.h"

TKestrumParams KestrumParams;

namespace {

// Most options follow the file name; help-type and export options are also
// found in its place.
constexpr int kAfterFileName = 1;
constexpr int kAnywhere = -1;

}  // namespace

void DefineKestrumOptions() {
  TKestrumParams& p = KestrumParams;
  TParamStatusArray& list = ParamStatusList;
  p = TKestrumParams();
  p.Debug = FindSwitch(list, "D DEBUG DEBUG-MODE", kAfterFileName, SearchFrom);
  p.ErrorDelay = FindSwitchFlag(list, "  ERROR-DELAY", ErrorDelay, kAfterFileName, SearchFrom);
  p.AudibleError = FindSwitchFlag(list, "  AUDIBLE-ERROR", AudibleError, kAfterFileName, SearchFrom);
  p.Help = FindSwitchEx(list, "H HELP ? H2 HELP2 ??", 0, kAnywhere, SearchFrom);
  p.Verbose = FindSwitchEx(list, "V VERBOSE BUILD H2 HELP2 ??", 0, kAnywhere, SearchFrom);
  p.VersionOnly = FindSwitchEx(list, "  VERSION-ONLY BUILD-ONLY", 0, kAnywhere, SearchFrom);
  p.Info = FindSwitchEx(list, "I INFO", 0, kAnywhere, SearchFrom);
  p.Banner = FindSwitch(list, "B BANNER", kAfterFileName, SearchFrom);
  p.MaxLines = FindSwitchNumber(list, "M MAX-LINES", p.MaxEntries, kDefaultMaxEntries, kAfterFileName, SearchFrom);
  p.Search = FindSwitchText(list, "S SEARCH", p.SearchText, kAfterFileName, SearchFrom);
  p.ExactMatch = FindSwitch(list, "E EXACT-MATCH", kAfterFileName, SearchFrom);
  p.ListOnly = FindSwitch(list, "L LIST-ONLY", kAfterFileName, SearchFrom);
  p.Alpha = FindSwitch(list, "A ALPHA", kAfterFileName, SearchFrom);
  p.Number = FindSwitch(list, "N NUMBER", kAfterFileName, SearchFrom);
  p.UseComma = FindSwitch(list, "U USE-COMMA", kAfterFileName, SearchFrom);
  p.NoComma = FindSwitch(list, "O NO-COMMA ONLY-DIGITS", kAfterFileName, SearchFrom);
  p.CustomMarker = FindSwitchText(list, "C CUSTOM-MARKER", p.MarkerText, kAfterFileName, SearchFrom);
  p.ExportConfig = FindSwitchText(list, "X EXPORT-CONFIG", p.ExportName, kAnywhere, SearchFrom);
  p.Append = FindSwitch(list, "  APPEND", kAfterFileName, SearchFrom);
  p.Selections[NxLog] = FindSwitch(list, "NX NXLOG", kAfterFileName, SearchFrom);
  p.Selections[TFTPD32] = FindSwitch(list, "TF TFTPD TFTPD32 LEGACY", kAfterFileName, SearchFrom);
  p.Selections[KiwiSyslog] = FindSwitch(list, "KS KIWI KIWISYSLOG SOLARWINDS", kAfterFileName, SearchFrom);
  p.Selections[WhatsUp] = FindSwitch(list, "WU WHATSUP IPSWITCH", kAfterFileName, SearchFrom);
  p.Selections[WinSyslog] = FindSwitch(list, "WS WINSYSLOG ADISCON", kAfterFileName, SearchFrom);
  p.Selections[VisualSyslog] = FindSwitch(list, "VS VISUALSYSLOG", kAfterFileName, SearchFrom);
  p.Selections[FastVue] = FindSwitch(list, "FV FASTVUE", kAfterFileName, SearchFrom);
  p.Selections[Custom] = FindSwitchText(list, "CS CUSTOM-SYSLOG", p.CustomConfigFile, kAfterFileName, SearchFrom);
  // The rest of the library reads the standard switches from here.
  DebugParam = p.Debug;
  ErrorDelayParam = p.ErrorDelay;
  AudibleErrorParam = p.AudibleError;
  HelpParam = p.Help;
  BuildParam = p.Verbose;
  VersionOnlyParam = p.VersionOnly;
  BannerParam = p.Banner;
  InfoParam = p.Info;
}
