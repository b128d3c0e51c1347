// The program's identity: the three-line banner and the build line, shown
// at most once per run on standard error.
#pragma once

#include <string>
#include <string_view>

// The program's identity, in the field order the library publishes.
// Neither program reads Filled, FullTitle or ProgramDir, and the seven
// Unused texts are always empty; they keep the record's published shape.
struct TFileVersionInfoRec {
  bool Filled = false;
  std::string FileName;     // the running program file's name, with extension
  std::string ProgramName;  // FileName without its extension
  std::string FileExt;      // with its dot
  std::string ShortTitle;   // ProgramName + " v" + short version
  std::string FileTitle;    // FileName + " v" + full version
  std::string FullTitle;    // ProgramName + " v" + full version
  std::string Unused1, Unused2, Unused3, Unused4, Unused5;
  std::string Description;
  std::string Unused6;
  std::string CopyrightLine;
  std::string AuthorLine;
  std::string Unused7;
  std::string ProgramDir;  // without trailing separator (a root kept whole)
  // The reader's style of banner: its build line is always followed by an
  // empty line, and showing the banner leaves the date separator alone.
  bool ReaderStyle = false;
};

// Whether this run has shown its banner: only the first ShowBanner prints.
extern bool BannerShown;

// The build stamp, "yyyy/mm/dd" and "yyyy/mm/dd hh:nn:ss".
extern const char* const BuildDate;
extern const char* const BuildDateTime;
// The toolchain's name and version, as printed after " using ".
std::string ToolchainName();

// Names come from the running program file, so a copy stored under another
// name shows that name; internalName is accepted and not used.
TFileVersionInfoRec FillVersionInfo(std::string_view shortVersion, std::string_view fullVersion,
                                    std::string_view description, std::string_view internalName, bool upperCaseNames);

// Only the first call in a run prints.
void ShowBanner(const TFileVersionInfoRec& info, bool showBuildLine, bool showBanner);
