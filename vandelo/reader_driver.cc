#include "reader_driver.h"

#include <new>

#include "banner.h"
#include "channels.h"
#include "files.h"
#include "flat_reader.h"
#include "program_identity.h"
#include "reader_exit_codes.h"
#include "reader_help.h"
#include "startup.h"
#include "syntax_report.h"

namespace {

// The program's identity for the banner and the help, filled as the run starts.
TFileVersionInfoRec ReaderVersionInfo;

// Every lookup searches all arguments: the file name's place included.
constexpr int kAnywhere = -1;

// The banner and the help, which a syntax error's report (unless message
// is null) comes between, and the run's exit code.
void ShowHelp(const TReaderParams& p, const TStringArray& args, const char* message, int code) {
  ShowBanner(ReaderVersionInfo, p.Verbose.Found, true);
  if (message) ReportSyntaxErrorCompact(args, message, true, false);
  ShowReaderHelp(ReaderVersionInfo.ProgramName, p.Verbose.Found);
  ExitCode = code;
}

}  // namespace

TReaderParams LookUpReaderOptions() {
  TReaderParams p;
  const TOptionRow rows[] = {
      {"H HELP ? HELP2 ??", NoValue, kAnywhere, &p.Help},
      {"V VERBOSE BUILD HELP2 ??", NoValue, kAnywhere, &p.Verbose},
      {"VERSION-ONLY BUILD-ONLY", NoValue, kAnywhere, &p.VersionOnly},
      {"I INFO", NoValue, kAnywhere, &p.Info},
      {"B BANNER", NoValue, kAnywhere, &p.Banner},
      {"D DEBUG", NoValue, kAnywhere, &p.Debug},
      {"G GET-ALL", NoValue, kAnywhere, &p.GetAll},
      {"M MINI-CONFIG", NoValue, kAnywhere, &p.MiniConfig},
      {"N NO-PARSING", NoValue, kAnywhere, &p.NoParsing},
      {"S SEARCH", OneValue, kAnywhere, &p.Search},
      {"P PARTIAL-MATCH", NoValue, kAnywhere, &p.Partial},
  };
  LookUpOptions(ParamStatusList, rows);
  return p;
}

void RunVandelo(const TStringArray& args) {
  try {
    ExitCode = VandeloExit::Ok;
    LongNamesNeedDoubleDash = false;
    // The first argument, typed as the first of the process's own.
    const TFileName fileName(args.empty() ? std::string() : args[0], 0, 0);
    ReaderVersionInfo =
        FillVersionInfo(PROGRAM_SHORT_VERSION, PROGRAM_FULL_VERSION, PROGRAM_DESCRIPTION, PROGRAM_NAME, true);
    ReaderVersionInfo.ReaderStyle = true;
    const TReaderParams p = LookUpReaderOptions();

    if (p.Search.Found && p.Search.Value.empty()) {
      ShowHelp(p, args, "Invalid Parameters Provided (e.g. -S must be followed by a value to search for...)",
               VandeloExit::NoSearchText);
      return;
    }
    if (args.empty()) {
      ShowHelp(p, args, "Missing Essential Parameters (e.g. -b -d -f -m -n -s -h -? --?? --Info --Version-Only)",
               VandeloExit::MissingParameters);
      return;
    }
    if (p.Help.Found) {
      ShowHelp(p, args, nullptr, VandeloExit::HelpShown);
      return;
    }
    // The version line alone, or with -I the whole banner.
    if (p.VersionOnly.Found || p.Info.Found) {
      ShowBanner(ReaderVersionInfo, true, !p.VersionOnly.Found);
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
