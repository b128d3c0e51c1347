#include "banner.h"

#include "build_stamp.h"  // generated at build time
#include "channels.h"
#include "dates.h"
#include "orvella_identity.h"
#include "platform/platform.h"
#include "text.h"

bool BannerShown = false;
const char* const BuildDate = ORVELLA_BUILD_DATE;
const char* const BuildDateTime = ORVELLA_BUILD_DATE_TIME;

namespace {

// The stamp is written yyyy/mm/dd, whatever the locale's pattern.
TDateTime StampValue(const char* stamp) { return NormaliseDateTime(stamp, "yyyy/mm/dd", "mm/dd/yyyy"); }

}  // namespace

std::string ToolchainName() {
#if defined(__clang__)
  return std::string("Clang ") + __clang_version__;
#elif defined(__MINGW64__)
  return std::string("MinGW-w64 GCC ") + __VERSION__;
#elif defined(__GNUC__)
  return std::string("GCC ") + __VERSION__;
#else
  return "an unknown C++ compiler";
#endif
}

TFileVersionInfoRec FillVersionInfo(std::string_view shortVersion, std::string_view fullVersion,
                                    std::string_view description, std::string_view, bool upperCaseNames) {
  TFileVersionInfoRec r;
  std::string path = PlatProgramPath();
  r.ProgramDir = std::string(DirectoryPart(path));
  std::string name(FileNamePart(path));
  std::size_t dot = name.find_last_of('.');
  r.FileExt = dot == std::string::npos ? std::string() : name.substr(dot);
  r.FileName = upperCaseNames ? UpperAscii(name) : name;
  // The extension comes off the name's end only: a name that holds its
  // text earlier too ("A.EXEC.EXE") keeps it there. Upper-cased already
  // when asked, since FileName is.
  r.ProgramName = r.FileName.substr(0, r.FileName.size() - r.FileExt.size());
  r.ShortTitle = r.ProgramName + " v" + std::string(shortVersion);
  r.FileTitle = r.FileName + " v" + std::string(fullVersion);
  r.FullTitle = r.ProgramName + " v" + std::string(fullVersion);
  r.Description = std::string(description);
  r.CopyrightLine = ORVELLA_COPYRIGHT_LINE;
  r.AuthorLine = ORVELLA_AUTHOR_LINE;
  r.Filled = true;
  return r;
}

void ShowBanner(const TFileVersionInfoRec& info, bool showBuildLine, bool showBanner) {
  if (!info.ReaderStyle) FormatSettings.DateSeparator = "/";
  if (BannerShown) return;
  BannerShown = true;
  TChannel& err = ErrorChannel();
  if (showBanner) {
    WriteLine(err, info.ShortTitle + " x64 (" + FormatDateTime("dd mmm yyyy", StampValue(BuildDate)) + ") - " +
                       info.Description);
    WriteLine(err, info.CopyrightLine);
    WriteLine(err, info.AuthorLine);
    WriteLineEnd(err);
  }
  if (showBuildLine) {
    WriteLine(err, info.FileTitle + " x64 was compiled on " +
                       FormatDateTime("dd mmm yyyy @ hh:00:00", StampValue(BuildDateTime)) + " using " +
                       ToolchainName());
    if (showBanner || info.ReaderStyle) WriteLineEnd(err);
  }
}
