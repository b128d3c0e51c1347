#include "banner.h"

#include "channels.h"
#include "dates.h"
#include "orvella_identity.h"
#include "platform/platform.h"
#include "text.h"

#ifndef ORVELLA_BUILD_DATE
#error "the build must define ORVELLA_BUILD_DATE and ORVELLA_BUILD_DATE_TIME"
#endif

bool BannerShown = false;
bool ReaderBannerStyle = false;
const char* const BuildDate = ORVELLA_BUILD_DATE;
const char* const BuildDateTime = ORVELLA_BUILD_DATE_TIME;

namespace {

std::string DirectoryPart(const std::string& path) {
  std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// Reads the stamp with the short date pattern set to yyyy/mm/dd, as stamped.
TDateTime StampValue(const char* stamp) {
  std::string saved = FormatSettings.ShortDatePattern;
  FormatSettings.ShortDatePattern = "yyyy/mm/dd";
  TDateTime value = NormaliseDateTime(stamp, "mm/dd/yyyy");
  FormatSettings.ShortDatePattern = saved;
  return value;
}

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
  r.ProgramDir = DirectoryPart(path);
  std::string name(FileNamePart(path));
  std::size_t dot = name.find_last_of('.');
  r.FileExt = dot == std::string::npos ? std::string() : name.substr(dot);
  r.FileName = upperCaseNames ? UpperAscii(name) : name;
  r.ProgramName = ReplaceText(r.FileName, r.FileExt, "", false);
  if (upperCaseNames) r.ProgramName = UpperAscii(r.ProgramName);
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
  if (!ReaderBannerStyle) FormatSettings.DateSeparator = "/";
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
    if (showBanner || ReaderBannerStyle) WriteLineEnd(err);
  }
}
