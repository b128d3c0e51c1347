#include "reader_driver.h"

#include <new>

#include "banner.h"
#include "channels.h"
#include "files.h"
#include "flat_reader.h"
#include "params.h"
#include "program_identity.h"
#include "reader_exit_codes.h"
#include "reader_help.h"
#include "reader_state.h"
#include "startup.h"
#include "syntax_report.h"

namespace {

// Every lookup searches all arguments: the file name's place included.
constexpr int kAnywhere = -1;

void SyntaxError(const TReaderParams& p, const TStringArray& args, const char* message, int code) {
  ShowBanner(ReaderVersionInfo, p.Verbose.Found, true);
  ReportSyntaxErrorCompact(args, message, true, false);
  ShowReaderHelp(p.Verbose.Found);
  ExitCode = code;
}

}  // namespace

TReaderParams LookUpReaderOptions() {
  TParamStatusArray& list = ParamStatusList;
  TReaderParams p;
  p.Help = FindSwitch(list, "H HELP ? HELP2 ??", kAnywhere, SearchFrom);
  p.Verbose = FindSwitch(list, "V VERBOSE BUILD HELP2 ??", kAnywhere, SearchFrom);
  p.VersionOnly = FindSwitch(list, "VERSION-ONLY BUILD-ONLY", kAnywhere, SearchFrom);
  p.Info = FindSwitch(list, "I INFO", kAnywhere, SearchFrom);
  p.Banner = FindSwitch(list, "B BANNER", kAnywhere, SearchFrom);
  p.Debug = FindSwitch(list, "D DEBUG", kAnywhere, SearchFrom);
  p.GetAll = FindSwitch(list, "G GET-ALL", kAnywhere, SearchFrom);
  p.MiniConfig = FindSwitch(list, "M MINI-CONFIG", kAnywhere, SearchFrom);
  p.NoParsing = FindSwitch(list, "N NO-PARSING", kAnywhere, SearchFrom);
  p.Search = FindSwitchText(list, "S SEARCH", p.SearchValue, kAnywhere, SearchFrom);
  p.Partial = FindSwitch(list, "P PARTIAL-MATCH", kAnywhere, SearchFrom);
  return p;
}

namespace {

// Every step of the run, in order.
void RunSteps(const TStringArray& args) {
  ExitCode = VandeloExit::Ok;
  LongNamesNeedDoubleDash = false;
  ReaderBannerStyle = true;
  // The first argument, typed as the first of the process's own.
  const TFileName fileName(args.empty() ? std::string() : args[0], 0, 0);
  ReaderVersionInfo =
      FillVersionInfo(PROGRAM_SHORT_VERSION, PROGRAM_FULL_VERSION, PROGRAM_DESCRIPTION, PROGRAM_NAME, true);
  const TReaderParams p = LookUpReaderOptions();

  if (p.Search.Found && p.SearchValue.empty()) {
    SyntaxError(p, args, "Invalid Parameters Provided (e.g. -S must be followed by a value to search for...)",
                VandeloExit::NoSearchText);
    return;
  }
  if (args.empty()) {
    SyntaxError(p, args, "Missing Essential Parameters (e.g. -b -d -f -m -n -s -h -? --?? --Info --Version-Only)",
                VandeloExit::MissingParameters);
    return;
  }
  if (p.Help.Found) {
    ShowBanner(ReaderVersionInfo, p.Verbose.Found, true);
    ShowReaderHelp(p.Verbose.Found);
    ExitCode = VandeloExit::HelpShown;
    return;
  }
  if (p.VersionOnly.Found) {
    ShowBanner(ReaderVersionInfo, true, false);
    return;
  }
  if (p.Info.Found) {
    ShowBanner(ReaderVersionInfo, true, true);
    return;
  }
  if (p.Banner.Found || p.Verbose.Found) ShowBanner(ReaderVersionInfo, p.Verbose.Found, true);
  if (!FileExists(fileName)) {
    WriteLine(ErrorChannel(), "File Not Found...");
    ExitCode = VandeloExit::FileNotFound;
    return;
  }
  std::string error;
  if (!PrintFlatFile(fileName, p.Debug.Found, &error)) ReportFileError(fileName.Text, error, VandeloExit::FileError);
}

}  // namespace

void RunVandelo(const TStringArray& args) {
  try {
    RunSteps(args);
  } catch (const std::bad_alloc&) {
    // A line larger than memory fails like the file work it is part of, and
    // so does memory running out anywhere else in the run, never as an abort.
    // Before the file is open too: 3 fits best, as every other documented code names another outcome.
    ReportOutOfMemory(args.empty() ? std::string_view() : std::string_view(args[0]), VandeloExit::FileError);
  }
}

int VandeloMain(int argc, char** argv) {
  try {
    OrvellaStartup(argc, argv);
    RunVandelo(PlatArguments());
    return OrvellaFinish();
  } catch (const std::bad_alloc&) {
    // The start-up, the copy of the arguments or the last flush; the run
    // catches its own.
    ReportOutOfMemory(argc > 1 ? argv[1] : "", VandeloExit::FileError);
    return ExitCode;
  }
}
