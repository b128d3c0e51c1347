// The reader run as a process: stdout, stderr and exit code byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "banner.h"
#include "build_stamp_text.h"
#include "output_capture.h"
#include "platform/platform.h"
#include "process_runner.h"
#include "reader_exit_codes.h"
#include "reader_help_text.h"
#include "test_files.h"
#include "text.h"

namespace {

std::string Banner(bool buildLine, bool banner) {
  std::string text;
  if (banner)
    text += "VANDELO v1.0.0 x64 (" + BannerDate(BuildDate) +
            ") - Tabulate and Summarize Syslog Entries in Flat Syslog\r\n"
            "Copyright (c) 2026 The Orvella Project. All rights reserved.\r\n"
            "Orvella console tools -- maintained by the Orvella project team\r\n\r\n";
  if (buildLine) {
    std::string file = UpperAscii(std::filesystem::path(VANDELO_EXE).filename().string());
    text += file + " v1.0.0.030 x64 was compiled on " + CompileStamp(BuildDateTime) + " using " + ToolchainName() +
            "\r\n\r\n";
  }
  return text;
}

std::string Help(bool extended) { return ReaderHelpText(extended); }

std::string Report(const std::vector<std::string>& args, const std::string& message) {
  // The full path as the system names it (on Windows with a drive letter
  // and backslashes).
  std::string typed = "You entered: " + PlatFullPath(VANDELO_EXE) + " ";
  for (const std::string& a : args) typed += (a.find(' ') != std::string::npos ? "\"" + a + "\"" : a) + " ";
  return "Invalid or Incomplete Syntax!\r\n\r\n" + typed + "\r\n\r\n" + message +
         "\r\n\r\nPress Any Key to Continue...\r\n\r\n";
}

const char kMissing[] = "Missing Essential Parameters (e.g. -b -d -f -m -n -s -h -? --?? --Info --Version-Only)";
const char kNoSearch[] = "Invalid Parameters Provided (e.g. -S must be followed by a value to search for...)";

TProcessResult RunReader(const std::vector<std::string>& args) { return RunProgram(VANDELO_EXE, args); }

}  // namespace

TEST(VandeloProcess, DecisionsTable) {
  TScratchFile data("a;b;1 2 3 4 5 6 7 eight\r\n", "data.txt");
  const std::string f = data.Name();
  struct {
    std::vector<std::string> args;
    int code;
    std::string out, err;
  } cases[] = {
      {{}, VandeloExit::MissingParameters, "", Banner(false, true) + Report({}, kMissing) + Help(false)},
      {{"-v"}, VandeloExit::Ok, "", ""},  // replaced below: a lone -v is the file name
      {{f, "-s"}, VandeloExit::NoSearchText, "", Banner(false, true) + Report({f, "-s"}, kNoSearch) + Help(false)},
      {{f, "-s", ""},
       VandeloExit::NoSearchText,
       "",
       Banner(false, true) + Report({f, "-s", ""}, kNoSearch) + Help(false)},
      {{f, "-h", "-s"},
       VandeloExit::NoSearchText,
       "",
       Banner(false, true) + Report({f, "-h", "-s"}, kNoSearch) + Help(false)},
      {{f, "-v", "-s"},
       VandeloExit::NoSearchText,
       "",
       Banner(true, true) + Report({f, "-v", "-s"}, kNoSearch) + Help(true)},
      {{"-?"}, VandeloExit::HelpShown, Help(false), Banner(false, true)},
      {{f, "/H"}, VandeloExit::HelpShown, Help(false), Banner(false, true)},
      {{f, "-help"}, VandeloExit::HelpShown, Help(false), Banner(false, true)},
      {{"--??"}, VandeloExit::HelpShown, Help(true), Banner(true, true)},
      {{f, "-help2"}, VandeloExit::HelpShown, Help(true), Banner(true, true)},
      {{"-h", "-v"}, VandeloExit::HelpShown, Help(true), Banner(true, true)},
      {{f, "--version-only", "-h"}, VandeloExit::HelpShown, Help(false), Banner(false, true)},
      {{"--version-only"}, VandeloExit::Ok, "", Banner(true, false)},
      {{f, "-build-only", "-i"}, VandeloExit::Ok, "", Banner(true, false)},
      {{"-i"}, VandeloExit::Ok, "", Banner(true, true)},
      {{"-b", f}, VandeloExit::FileNotFound, "", Banner(false, true) + "File Not Found...\r\n"},
      {{f, "-s", "-p"}, VandeloExit::Ok, "eight\r\n", ""},
      {{f, "-f", "script", "-g", "-m", "-n", "-p", "-s", "x"}, VandeloExit::Ok, "eight\r\n", ""},
      {{f, "-b"}, VandeloExit::Ok, "eight\r\n", Banner(false, true)},
      {{f, "-V"}, VandeloExit::Ok, "eight\r\n", Banner(true, true)},
      {{""}, VandeloExit::FileNotFound, "", "File Not Found...\r\n"},
      {{std::filesystem::temp_directory_path().string()}, VandeloExit::FileNotFound, "", "File Not Found...\r\n"},
      {{"no-such-file.txt"}, VandeloExit::FileNotFound, "", "File Not Found...\r\n"},
  };
  cases[1] = {{"-v"}, VandeloExit::FileNotFound, "", Banner(true, true) + "File Not Found...\r\n"};
  for (const auto& c : cases) {
    std::string label;
    for (const std::string& a : c.args) label += "[" + a + "]";
    SCOPED_TRACE(label);
    TProcessResult r = RunReader(c.args);
    EXPECT_EQ(r.ExitCode, c.code);
    EXPECT_EQ(r.Out, c.out);
    EXPECT_EQ(r.Err, c.err);
  }
}

// The codes scripts branch on are the ones the help screen documents.
TEST(VandeloProcess, EveryExitCodeIsDocumented) {
  const std::string help = RunReader({"--??"}).Out;
  for (int code : {VandeloExit::Ok, VandeloExit::NoSearchText, VandeloExit::FileNotFound, VandeloExit::FileError,
                   VandeloExit::MissingParameters, VandeloExit::HelpShown}) {
    std::string number = std::to_string(code);
    EXPECT_NE(help.find("\r\n" + std::string(5 - number.size(), ' ') + number + " - "), std::string::npos) << code;
  }
}

TEST(VandeloProcess, DebugBreakdownThroughTheProgram) {
  TScratchFile data("x;y;one two:three four five:six seven eight nine\n;;\n", "debug.txt");
  TProcessResult plain = RunReader({data.Name()});
  TProcessResult debug = RunReader({data.Name(), "--debug"});
  EXPECT_EQ(plain.Out, "eight\r\n\r\n");
  EXPECT_EQ(debug.ExitCode, VandeloExit::Ok);
  EXPECT_EQ(debug.Out.substr(0, 13), "Original   = ");
  EXPECT_NE(debug.Out.find("Parse1 - 9 = nine\r\n------\r\n\r\nOriginal   = ;;\r\n"), std::string::npos);
}

TEST(VandeloProcess, ProgramNameIsUpperCasedFromTheFile) {
  std::filesystem::path original(VANDELO_EXE);
  std::filesystem::path copy = std::filesystem::temp_directory_path() /
                               ("mixedCase" + std::to_string(std::random_device{}()) + original.extension().string());
  std::filesystem::copy_file(original, copy);
  TProcessResult r = RunProgram(copy.string(), {"-?", "-v"});
  std::filesystem::remove(copy);
  std::string name = UpperAscii(copy.stem().string());
  EXPECT_EQ(r.ExitCode, VandeloExit::HelpShown);
  EXPECT_EQ(r.Err.substr(0, name.size() + 9), name + " v1.0.0 x");
  EXPECT_NE(r.Err.find(UpperAscii(copy.filename().string()) + " v1.0.0.030 x64 was compiled on "), std::string::npos);
  EXPECT_NE(r.Out.find(" " + name + " <name_of_config_file> [options]\r\n"), std::string::npos);
}
