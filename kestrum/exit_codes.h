// Kestrum's exit codes: batch scripts branch on them, so they never change.
#pragma once

namespace KestrumExit {
enum TCode : int {
  Ok = 0,
  MissingParameters = 64,  // no arguments at all
  InvalidParameters = 65,
  NoSearchText = 69,  // -S without a value
  FileNotFound = 70,  // the syslog or --CS file missing, or --CS without a name
  ReadError = 71,     // reading the syslog or --CS file failed
  WriteError = 72,    // writing the -X sample failed
  HelpShown = 255,
};
}  // namespace KestrumExit

// "ERROR: File Not Found..." on standard error, and its exit code.
void ReportFileNotFound();
