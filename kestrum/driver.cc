#include "driver.h"

#include "channels.h"
#include "files.h"
#include "platform/platform.h"
#include "report.h"
#include "run_state.h"
#include "scanner.h"
#include "startup.h"
#include "syslog_profiles.h"
#include "tally.h"

TRunOptions RunOptions;
TFileVersionInfoRec VersionInfo;
TScanResult ScanResult;

namespace {

TDateTime gStartTime;

void FileError(const std::string& name, const std::string& error, int code) {
  WriteLine(ErrorChannel(), "File handling ERROR occurred with \"" + name + "\" -- " + error);
  ExitCode = code;
}

}  // namespace

void RunKestrum() {
  ExitCode = 0;
  gStartTime = Now();
  ResetTally();
  RunOptions = TRunOptions();
  std::vector<std::string> args = PlatArguments();
  RunOptions.SyslogFileName = args.empty() ? std::string() : args[0];

  TSyslogChoicesArray profiles{};
  BuildPresetProfiles(profiles);
  CurrentSyslogConfig = profiles[kDefaultSyslogChoice];
  RunOptions.Marker = CurrentSyslogConfig.Marker;

  if (!FileExists(RunOptions.SyslogFileName)) {
    WriteLine(ErrorChannel(), "ERROR: File Not Found...");
    ExitCode = 70;
    return;
  }
  std::string error;
  if (!ScanSyslogFile(&error)) {
    FileError(RunOptions.SyslogFileName, error, 71);
    return;
  }
  if (RunOptions.ListOnly) return;
  SortTallyFor(RunOptions.SortByName, RunOptions.SortByCount);
  PrintReport();
  PrintTimingBlock(gStartTime, Now());
}
