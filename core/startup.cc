#include "startup.h"

#include "channels.h"
#include "date_picture.h"
#include "dates.h"
#include "platform/platform.h"
#include "text.h"
#include "validation.h"

int ExitCode = 0;
std::string ExecutionPath;

void OrvellaStartup(int argc, char** argv) {
  PlatInitProcess(argc, argv);
  ExitCode = 0;
  ResetSharedOutput();
  DetectInteractiveChannels();
  ExecutionPath = QuoteIfNeeded(DirectoryPart(PlatProgramPath()));
  FormatSettings = DefaultFormatSettings();
  ResetParamEngine(PlatArguments());
}

int OrvellaFinish() {
  FlushAll();
  return ExitCode;
}
