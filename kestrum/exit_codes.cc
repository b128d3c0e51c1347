#include "exit_codes.h"

#include "channels.h"
#include "startup.h"

void ReportFileNotFound() {
  WriteLine(ErrorChannel(), "ERROR: File Not Found...");
  ExitCode = KestrumExit::FileNotFound;
}
