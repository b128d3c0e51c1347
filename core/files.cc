#include "files.h"

#include "channels.h"
#include "platform/platform.h"
#include "startup.h"

bool FileExists(const TFileName& path) {
  switch (PlatQueryPath(path)) {
    case TPathKind::File:
      return true;
    case TPathKind::Directory:
    case TPathKind::Missing:
      return false;
    case TPathKind::OtherError:
      break;
  }
  return PlatSearchDirectory(path) == TPathKind::File;
}

void ReportFileError(const std::string& name, const std::string& error, int exitCode) {
  WriteLine(ErrorChannel(), "File handling ERROR occurred with \"" + name + "\" -- " + error);
  ExitCode = exitCode;
}

void ReportOutOfMemory(const std::string& name, int exitCode) {
  ReportFileError(name, PlatOutOfMemoryText(), exitCode);
}
