#include "options.h"

#include "syntax_report.h"

namespace {

// Most options follow the file name; help-type and export options are also
// found in its place.
constexpr int kAfterFileName = 1;
constexpr int kAnywhere = -1;

}  // namespace

TKestrumParams DefineKestrumOptions() {
  TKestrumParams p;
  TSyslogSelections& kind = p.Selections;
  const TOptionRow rows[] = {
      {"D DEBUG DEBUG-MODE", NoValue, kAfterFileName, &p.Debug},
      {"  ERROR-DELAY", OneValue, kAfterFileName, &p.ErrorDelay},
      {"  AUDIBLE-ERROR", OneValue, kAfterFileName, &p.AudibleError},
      {"H HELP ? H2 HELP2 ??", NoValue, kAnywhere, &p.Help},
      {"V VERBOSE BUILD H2 HELP2 ??", NoValue, kAnywhere, &p.Verbose},
      {"  VERSION-ONLY BUILD-ONLY", NoValue, kAnywhere, &p.VersionOnly},
      {"I INFO", NoValue, kAnywhere, &p.Info},
      {"B BANNER", NoValue, kAfterFileName, &p.Banner},
      {"M MAX-LINES", OneValue, kAfterFileName, &p.MaxLines},
      {"S SEARCH", OneValue, kAfterFileName, &p.Search},
      {"E EXACT-MATCH", NoValue, kAfterFileName, &p.ExactMatch},
      {"L LIST-ONLY", NoValue, kAfterFileName, &p.ListOnly},
      {"A ALPHA", NoValue, kAfterFileName, &p.Alpha},
      {"N NUMBER", NoValue, kAfterFileName, &p.Number},
      {"U USE-COMMA", NoValue, kAfterFileName, &p.UseComma},
      {"O NO-COMMA ONLY-DIGITS", NoValue, kAfterFileName, &p.NoComma},
      {"C CUSTOM-MARKER", OneValue, kAfterFileName, &p.CustomMarker},
      {"X EXPORT-CONFIG", OneValue, kAnywhere, &p.ExportConfig},
      {"  APPEND", NoValue, kAfterFileName, &p.Append},
      {"NX NXLOG", NoValue, kAfterFileName, &kind[NxLog]},
      {"TF TFTPD TFTPD32 LEGACY", NoValue, kAfterFileName, &kind[TFTPD32]},
      {"KS KIWI KIWISYSLOG SOLARWINDS", NoValue, kAfterFileName, &kind[KiwiSyslog]},
      {"WU WHATSUP IPSWITCH", NoValue, kAfterFileName, &kind[WhatsUp]},
      {"WS WINSYSLOG ADISCON", NoValue, kAfterFileName, &kind[WinSyslog]},
      {"VS VISUALSYSLOG", NoValue, kAfterFileName, &kind[VisualSyslog]},
      {"FV FASTVUE", NoValue, kAfterFileName, &kind[FastVue]},
      {"CS CUSTOM-SYSLOG", OneValue, kAfterFileName, &kind[Custom]},
  };
  LookUpOptions(ParamStatusList, rows);
  // The library's records of the standard switches take this run's answers
  // too: they belong to its interface, for any caller that wants them,
  // though neither program reads them back.
  ErrorDelay = p.ErrorDelay.Found;
  AudibleError = p.AudibleError.Found;
  DebugParam = p.Debug;
  ErrorDelayParam = p.ErrorDelay;
  AudibleErrorParam = p.AudibleError;
  HelpParam = p.Help;
  BuildParam = p.Verbose;
  VersionOnlyParam = p.VersionOnly;
  BannerParam = p.Banner;
  InfoParam = p.Info;
  return p;
}
