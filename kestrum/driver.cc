#include "driver.h"

#include <new>

#include "banner.h"
#include "channels.h"
#include "custom_config.h"
#include "exit_codes.h"
#include "files.h"
#include "help.h"
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

// Banner, report, short help on standard error; the run ends with code.
void SyntaxError(const std::string& message, int code) {
  ShowBanner(VersionInfo, KestrumParams.Verbose.Found, true);
  ReportSyntaxErrorPlain(CustomSyntaxStats, message, ErrorDelay, AudibleError);
  ShowHelp(true);
  ExitCode = code;
}

// Steps that end the run before any file is read; true when one did.
bool SettleCommandLine() {
  const TKestrumParams& p = KestrumParams;
  if (p.Debug.Found) {
    ErrorDelay = true;
    AudibleError = true;
  }
  const bool helpType = p.Help.Found || p.VersionOnly.Found || p.Info.Found;
  ValidateCommandLine(CustomSyntaxStats, ParamStatusList, KnownAliases, true, 1, -1);
  if (!CustomSyntaxStats.SyntaxValid && !helpType) {
    if (ParamStatusList.empty()) {
      SyntaxError("Missing Essential Parameters (e.g. <filename> " + HelpSwitchSummary + ")",
                  KestrumExit::MissingParameters);
      return true;
    }
    if (CustomSyntaxStats.UnrecognisedCount > 0) {
      SyntaxError("Invalid Parameters Provided: " + CustomSyntaxStats.UnrecognisedList, KestrumExit::InvalidParameters);
      return true;
    }
  }
  if (p.Selections[Custom].Found && p.CustomConfigFile.empty()) {
    SyntaxError("Incomplete Parameters Provided: a valid file must be provided after --CS | --CUSTOM-SYSLOG",
                KestrumExit::FileNotFound);
    return true;
  }
  if (p.Search.Found && p.SearchText.empty()) {
    SyntaxError("Incomplete Parameters Provided: -S must be followed by a job/process to search for...",
                KestrumExit::NoSearchText);
    return true;
  }
  if (p.Help.Found) {
    ShowBanner(VersionInfo, p.Verbose.Found, true);
    ShowHelp(false);
    ExitCode = KestrumExit::HelpShown;
    return true;
  }
  if (p.VersionOnly.Found) {
    ShowBanner(VersionInfo, true, false);
    return true;
  }
  if (p.Info.Found) {
    ShowBanner(VersionInfo, true, true);
    return true;
  }
  if (p.Banner.Found || p.Verbose.Found) ShowBanner(VersionInfo, p.Verbose.Found, true);
  if (p.ExportConfig.Found) {
    ExportSampleConfig(FileNameOfValue(ParamStatusList, p.ExportConfig), p.Append.Found);
    return true;
  }
  return false;
}

void TakeRunOptions() {
  const TKestrumParams& p = KestrumParams;
  TRunOptions& o = RunOptions;
  o.CustomConfigFile = p.CustomConfigFile;
  o.Debug = p.Debug.Found;
  o.Verbose = p.Verbose.Found;
  o.ListOnly = p.ListOnly.Found;
  o.SortByName = p.Alpha.Found;
  o.SortByCount = p.Number.Found;
  o.UseCommas = !p.NoComma.Found;
  o.SearchGiven = p.Search.Found;
  o.SearchText = p.SearchText;
  o.ExactMatch = p.ExactMatch.Found;
  o.MaxGiven = p.MaxLines.Found;
  o.MaxEntries = p.MaxEntries;
}

// Every step of the run, in order.
void RunSteps() {
  ExitCode = KestrumExit::Ok;
  const TDateTime start = Now();
  RunOptions = TRunOptions();
  ScanResult = TScanResult();
  SwitchValueMode = 2;
  VersionInfo = FillVersionInfo(PROGRAM_SHORT_VERSION, PROGRAM_FULL_VERSION, PROGRAM_DESCRIPTION, PROGRAM_NAME, false);
  TakePositionalParam(ParamStatusList, RunOptions.SyslogFileName, 1);
  DefineKestrumOptions();
  TakeRunOptions();
  if (SettleCommandLine()) return;

  SelectSyslogProfile();
  if (ExitCode != KestrumExit::Ok) return;
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

// Argument 1, the syslog file's name as typed: there from the start-up on,
// before the run takes it.
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
    // The tally goes first, so that the message itself finds memory.
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
