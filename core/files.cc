#include "files.h"

#include <new>

#include "channels.h"
#include "platform/platform.h"
#include "startup.h"

bool FileExists(const TFileName& path) {
  const TPathKind kind = PlatQueryPath(path);
  return (kind == TPathKind::OtherError ? PlatSearchDirectory(path) : kind) == TPathKind::File;
}

void ReportFileError(const std::string& name, const std::string& error, int exitCode) {
  WriteLine(ErrorChannel(), "File handling ERROR occurred with \"" + name + "\" -- " + error);
  ExitCode = exitCode;
}

void ReportOutOfMemory(std::string_view name, int exitCode) {
  DropUnfinishedLine(StdOutChannel());
  DropUnfinishedLine(ErrorChannel());
  ExitCode = exitCode;
  try {
    ReportFileError(std::string(name), PlatOutOfMemoryText(), exitCode);
  } catch (const std::bad_alloc&) {
    // With no memory even for the line, the exit code alone reports the
    // failure, and the run still ends normally rather than in an abort.
  }
}
