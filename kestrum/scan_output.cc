#include "scan_output.h"

#include <cstdio>

#include "channels.h"
#include "parallel_scan.h"
#include "progress_line.h"
#include "report.h"
#include "run_state.h"
#include "scanner.h"
#include "syslog_profiles.h"

namespace {

// The -D breakdown of one counted entry.
void PrintDebugBlock(const TScanEntry& e) {
  TChannel& out = Out();
  PrintRule80('-');
  WriteLine(out, " Current Line# ..... " + std::to_string(e.Number));
  Write(out, " Original .......... ");
  WriteLine(out, e.Line);
  Write(out, " ThisSection ....... ");
  WriteLine(out, e.Section);
  Write(out, " ThisProcess ....... ");
  WriteLine(out, e.Process);
  PrintRule80('-');
  for (int k = 1; k <= 19; ++k) {
    char label[32];
    std::snprintf(label, sizeof label, " ThisSection - %2d ... ", k);
    Write(out, label);
    WriteLine(out, TrimmedWordOf(e.Section, *e.DebugSet, k));
  }
  PrintRule80('=');
  WriteLineEnd(out);
}

// Nobody reads the output any more (closed pipe, full disk): stop the scan.
bool OutputHolds(std::string* err) {
  if (!Out().Failed) return true;
  *err = Out().ErrorText;
  return false;
}

// "Processing ..." and the "Tally of" heading with the first entry's date.
bool ShowProgressText(const std::string& since, std::string* err) {
  TChannel& out = Out();
  WriteLine(out,
            std::string("Processing ") + SyslogChoiceName(CurrentSyslogConfig.Kind) + " Syslog...  Please Wait...");
  WriteLineEnd(out);
  Write(out, "Tally of [MAJOR] Scripts Used since ");
  WriteLine(out, since);
  PrintRule80('=');
  // On the screen while the scan runs, not with the report at its end.
  Flush(out);
  return OutputHolds(err);
}

bool ShowEntry(const TScanEntry& entry, std::string* err) {
  if (RunOptions.ListOnly) WriteLine(Out(), entry.Process);
  if (RunOptions.Debug) PrintDebugBlock(entry);
  return OutputHolds(err);
}

}  // namespace

TScanHooks RunScanHooks() {
  TScanHooks hooks;
  // -L prints no progress text.
  if (!RunOptions.ListOnly) hooks.FirstEntry = ShowProgressText;
  if (RunOptions.ListOnly || RunOptions.Debug) {
    hooks.Entry = ShowEntry;
  } else {
    // Only a report run draws the progress line on a terminal: with -L or
    // -D the entries themselves show how far it is.
    hooks.Progress = ShowProgress;
  }
  return hooks;
}

bool ScanSyslogFile(std::string* err) {
  const TScanHooks hooks = RunScanHooks();
  const TScanSetup setup(RunOptions, CurrentSyslogConfig, ProgramPlan());
  if (hooks.Progress) StartProgressLine("Reading");
  const bool ok = ScanFile(setup, hooks, ScanResult, err);
  StopProgressLine();
  return ok;
}
