#include "startup.h"

#include "channels.h"
#include "date_picture.h"
#include "dates.h"
#include "platform/platform.h"
#include "text.h"
#include "validation.h"

int ExitCode = 0;
std::string ExecutionPath;

namespace {

std::string DirectoryOf(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return std::string();
  // Keep a root ("/" or "C:\") whole.
  if (cut == 0 || (cut == 2 && path[1] == ':')) return path.substr(0, cut + 1);
  return path.substr(0, cut);
}

}  // namespace

void OrvellaStartup(int argc, char** argv) {
  PlatInitProcess(argc, argv);
  ExitCode = 0;
  ResetSharedOutput();
  ExecutionPath = QuoteIfNeeded(DirectoryOf(PlatProgramPath()));
  FormatSettings = DefaultFormatSettings();
  ResetParamEngine(PlatArguments());
}

int OrvellaFinish() {
  FlushAll();
  return ExitCode;
}
