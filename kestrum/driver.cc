#include "driver.h"

#include <new>
#include <utility>

#include "banner.h"
#include "channels.h"
#include "custom_config.h"
#include "exit_codes.h"
#include "files.h"
#include "help.h"
#include "invariants.h"
#include "numbers.h"
#include "options.h"
#include "params.h"
#include "profile_selection.h"
#include "program_identity.h"
#include "report.h"
#include "run_state.h"
#include "scan_output.h"
#include "startup.h"
#include "syntax_report.h"
#include "tally.h"
#include "validation.h"

TRunOptions RunOptions;
TScanResult ScanResult;
TFileVersionInfoRec VersionInfo;

namespace {

// The message and the exit code of the syntax error the validated command
// line makes, in the order the checks go; code 0 when it makes none.
std::pair<std::string, int> SyntaxFaultOf(const TKestrumParams& p) {
  const bool helpType = p.Help.Found || p.VersionOnly.Found || p.Info.Found;
  if (!CustomSyntaxStats.SyntaxValid && !helpType) {
    if (ParamStatusList.empty())
      return {"Missing Essential Parameters (e.g. <filename> " + HelpSwitchSummary + ")",
              KestrumExit::MissingParameters};
    if (CustomSyntaxStats.UnrecognisedCount > 0)
      return {"Invalid Parameters Provided: " + CustomSyntaxStats.UnrecognisedList, KestrumExit::InvalidParameters};
  }
  if (p.Selections[Custom].Found && p.Selections[Custom].Value.empty())
    return {"Incomplete Parameters Provided: a valid file must be provided after --CS | --CUSTOM-SYSLOG",
            KestrumExit::FileNotFound};
  if (p.Search.Found && p.Search.Value.empty())
    return {"Incomplete Parameters Provided: -S must be followed by a job/process to search for...",
            KestrumExit::NoSearchText};
  return {"", 0};
}

// Steps that end the run before any file is read; true when one did.
bool SettleCommandLine(const TKestrumParams& p) {
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1);
  // Help and a syntax error both show the banner and the help; a syntax
  // error puts its report between them and shows the short help, all on
  // standard error.
  if (const auto [message, code] = SyntaxFaultOf(p); code != 0 || p.Help.Found) {
    ShowBanner(VersionInfo, p.Verbose.Found, true);
    // -D asks for both the pause and the alert, whatever their own switches say.
    if (code != 0)
      ReportSyntaxErrorPlain(CustomSyntaxStats, message, p.Debug.Found || p.ErrorDelay.Found,
                             p.Debug.Found || p.AudibleError.Found);
    ShowHelp(VersionInfo.ProgramName, code != 0, p.Verbose.Found);
    ExitCode = code != 0 ? code : KestrumExit::HelpShown;
    return true;
  }
  // Both show the build line; -I the banner above it too, unless -VERSION-ONLY is also given.
  if (p.VersionOnly.Found || p.Info.Found) {
    ShowBanner(VersionInfo, true, !p.VersionOnly.Found);
    return true;
  }
  if (p.Banner.Found || p.Verbose.Found) ShowBanner(VersionInfo, p.Verbose.Found, true);
  if (p.ExportConfig.Found) {
    ExportSampleConfig(FileNameOfValue(ParamStatusList, p.ExportConfig), p.Append.Found);
    return true;
  }
  return false;
}

// The options of a run that goes on to the scan, the command line settled.
TRunOptions RunOptionsOf(const TKestrumParams& p, const TFileName& syslogFileName, const std::string& marker) {
  TRunOptions o;
  o.SyslogFileName = syslogFileName;
  o.CustomConfigFile = p.Selections[Custom].Value;
  o.Marker = marker;
  o.Debug = p.Debug.Found;
  o.ListOnly = p.ListOnly.Found;
  o.SortByName = p.Alpha.Found;
  o.SortByCount = p.Number.Found;
  o.UseCommas = !p.NoComma.Found;
  o.SearchText = p.Search.Value;
  o.ExactMatch = p.ExactMatch.Found;
  o.MaxGiven = p.MaxLines.Found;
  o.MaxEntries = NumberFromText(p.MaxLines.Value, kDefaultMaxEntries).Value;
  ORVELLA_INVARIANT(p.Search.Found == !o.SearchText.empty());
  ORVELLA_INVARIANT(o.MaxGiven || o.MaxEntries == kDefaultMaxEntries);
  return o;
}

// Every step of the run, in order.
void RunSteps() {
  ExitCode = KestrumExit::Ok;
  const TDateTime start = Now();
  RunOptions = TRunOptions();
  ScanResult = TScanResult();
  SwitchValueMode = 2;
  VersionInfo = FillVersionInfo(PROGRAM_SHORT_VERSION, PROGRAM_FULL_VERSION, PROGRAM_DESCRIPTION, PROGRAM_NAME, false);
  // Argument 1 is the file name whatever it holds; a lookup that searches
  // it too (help, -X) may still claim it as its switch.
  TFileName syslogFileName;
  TakePositionalParam(ParamStatusList, syslogFileName, 1);
  const TKestrumParams p = DefineKestrumOptions();
  if (SettleCommandLine(p)) return;

  const std::string marker = SelectSyslogProfile(p);
  if (ExitCode != KestrumExit::Ok) return;
  RunOptions = RunOptionsOf(p, syslogFileName, marker);
  if (!FileExists(RunOptions.SyslogFileName)) {
    ReportFileNotFound();
    return;
  }
  std::string error;
  if (!ScanSyslogFile(&error)) {
    ReportFileError(RunOptions.SyslogFileName.Text, error, KestrumExit::ReadError);
    return;
  }
  if (!RunOptions.ListOnly) {
    SortTallyFor(ScanResult.Tally, RunOptions.SortByName, RunOptions.SortByCount);
    PrintReport();
    PrintTimingBlock(start, Now());
  }
  // Output nobody received is a failure, not a success.
  if (!Flush(Out())) ReportFileError(RunOptions.SyslogFileName.Text, Out().ErrorText, KestrumExit::ReadError);
}

// Argument 1, the syslog file's name as typed. The argument table holds it
// from the start-up on, so that the out-of-memory report can name the file
// even when the run has not taken the name yet.
std::string_view SyslogFileArgument() {
  return ParamStatusList.empty() ? std::string_view() : std::string_view(ParamStatusList.front().Text);
}

}  // namespace

void RunKestrum() {
  try {
    RunSteps();
  } catch (const std::bad_alloc&) {
    // An entry line or a tally larger than memory, or memory running out
    // anywhere else, fails the run like its file work, never as an abort
    // (the export and the --CS file report their own, under their names).
    // The scan result and its tally are released first, so that the
    // message itself finds memory.
    ScanResult = TScanResult();
    // Before any file is open too: 71 fits best, as every other documented code names another outcome.
    ReportOutOfMemory(SyslogFileArgument(), KestrumExit::ReadError);
  }
}

int KestrumMain(int argc, char** argv) {
  try {
    OrvellaStartup(argc, argv);
    RunKestrum();
    return OrvellaFinish();
  } catch (const std::bad_alloc&) {
    // The start-up or the last flush; the run catches its own.
    ReportOutOfMemory(argc > 1 ? argv[1] : "", KestrumExit::ReadError);
    return ExitCode;
  }
}
