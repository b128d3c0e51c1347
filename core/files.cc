#include "files.h"

#include "platform/platform.h"

bool FileExists(const std::string& path) {
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
