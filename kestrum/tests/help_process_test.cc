// Help screens, banner, build line and the syntax-error report, run as a
// process: stdout and stderr compared apart, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "banner.h"
#include "build_stamp_text.h"
#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "platform/platform.h"
#include "test_files.h"

namespace {

std::string Banner(const std::string& program, bool buildLine, bool banner) {
  std::string text;
  if (banner)
    text += program + " v2.2.0 x64 (" + BannerDate(BuildDate) +
            ") - Tabulate and Summarize Entries in Text-based Syslog Files\n"
            "Copyright (c) 2026 The Orvella Project. All rights reserved.\n"
            "Orvella console tools -- maintained by the Orvella project team\n\n";
  if (buildLine) {
    std::string ext = std::filesystem::path(KESTRUM_EXE).extension().string();
    text += program + ext + " v2.2.0.250 x64 was compiled on " + CompileStamp(BuildDateTime) + " using " +
            ToolchainName() + "\n";
    if (banner) text += "\n";
  }
  return text;
}

std::string Usage(const std::string& p) {
  return "-----------\nCMD SYNTAX:\n-----------\n"
         " " +
         p +
         " <name_of_syslog_file> [options]\n\n"
         " " +
         p +
         " <name_of_syslog_file> [-b] [-d] [-L] [-a|-n] [-u|-o] [-c [\"some_marker\"]] [-m <max_lines>] "
         "[-s <JobName> [-e]]\n\n"
         " " +
         p +
         " <name_of_syslog_file> [supported_syslog_format|--cs <name_of_config_file>]\n\n"
         " " +
         p +
         " [-x|--Export-Config [name_of_config_file] [--Append]]\n\n"
         " " +
         p +
         " [-h|-?|--h2|--??] [-v]\n"
         " " +
         p + " [-i|--Info|--Version-Only]\n\n";
}

std::string ShortHelp(const std::string& p) {
  return Usage(p) + "For more details, please type: " + p + " -?  OR  " + p + " --??\n";
}

std::string Options(bool extended) {
  std::string s =
      "-------------------\nOPTION DEFINITIONS:\n-------------------\n"
      " -b, --banner .............. Display banner information on each program execution\n"
      " -d, --debug ............... Provide additional debug info and parsing of each line\n"
      " -m, --max-lines ........... Display a maximum of X lines from the syslog file\n"
      " -s, --search .............. Search for specific process/job names from the syslog file\n"
      " -e, --exact-match ......... Modifies the -S search to be an exact word match instead of a partial match\n"
      " -a, --alpha ............... Sort process/job names in alphabetic order\n"
      " -n, --number .............. Sort process/job names in numerical order\n"
      " -u, --use-comma ........... Display commas with numbers >= 1000  ***DEFAULT***\n"
      " -o, --no-comma ............ Do NOT display commas with any numbers (except for filesize)\n"
      " -L, --list-only ........... Generate list of process, without producing a tally\n"
      " -c, --custom-marker ....... Set custom marker for determining valid log entry.\n"
      " -x, --export-config ....... Export a sample custom config for use with --CS | --CUSTOM-SYSLOG  (see "
      "extended help)\n"
      "     --append  ............. Append the sample config, rather than overwriting the file\n"
      " -v, --verbose, --build .... Display extended build information, plus application exit/return codes\n"
      " -h, --help, -? ............ Display this help message.\n"
      "     --h2, --??, --help2 ... Display extended help information, plus exit/return codes.\n"
      " -i, --info ................ Display banner and build information, then exit.\n"
      "     --version-only ........ Display build information without banner, then exit.\n";
  if (extended)
    s += "     --audible-error ....... Enable a beep on syntax error.\n"
         "     --error-delay ......... Enable a ~7 second delay on syntax error.\n"
         "     --debug-mode .......... Same as -D and includes enabling Audible Error and Error Delay.\n";
  return s + "\n";
}

std::string Examples(const std::string& p) {
  return "----------------\nSYNTAX EXAMPLES:\n----------------\n"
         " " +
         p +
         " WhichSyslog.LOG -L\n"
         " " +
         p +
         " C:\\Syslog\\MainLog.TXT\n"
         " " +
         p +
         " D:\\Logs\\MySyslog.TXT -m 10\n"
         " " +
         p +
         " E:\\MyApp\\Syslog.TXT -s:\"Create\" -a\n"
         " " +
         p +
         " F:\\Audit\\MainSyslog.TXT -o -c=\"<5000>\"\n"
         " " +
         p +
         " G:\\AltSyslog\\Kiwi-Syslog.TXT --KIWISYSLOG -n\n"
         " " +
         p +
         " -x=\"H:\\SomeFolder\\Subfolder\\MySyslogConfig.TXT\"\n"
         " " +
         p +
         " I:\\Some\\Syslog.TXT --CS \"I:\\Config\\CustomConfig.TXT\"\n"
         " " +
         p + " -h\n\n";
}

std::string ExtendedTail(const std::string& p) {
  return "--------------------\nGENERAL USAGE NOTES:\n--------------------\n"
         " * Entering " +
         p +
         " with no parameters will display this help message.\n"
         " * Parameters surrounded by <> are mandatory; Those surrounded by [] are optional.\n"
         " * Parameters are case-insensitive, but may be shown in uppercase for clarity.\n"
         " * Single-character parameters (e.g. -h) can be prefaced by \"-\" or \"/\".\n"
         " * Multi-character parameters (e.g. --help) should be prefaced by \"--\".\n"
         " * All parameters need to be separated from each other by at least one space.\n"
         " * Parameters which require values can be provided as \"-z Value\" or \"-z:Value\" or \"-z=Value\".\n"
         " * The -H, --?? --Version-Only and --Info parameters supersede all other options -- in that order.\n"
         " * The -V parameter causes application build mode info to be shown whenever the banner is shown.\n"
         " * Combining -H/-? and -V will display extended help info plus application exit/return codes.\n"
         " * The --?? parameter behaves like the -H/-? and -V parameters combined.\n"
         " * The -I parameter will ONLY show the banner, with build info, and quit.  It will process no other "
         "data.\n"
         " * Providing multiple instance of the same parameter (other than -?, -H etc) will result in a syntax "
         "error.\n"
         " * The application banner is only displayed when Help Syntax is displayed, or when -B is used.\n\n"
         "-------------------\nAPP SPECIFIC NOTES:\n-------------------\n"
         " * The default syslog type supported is \"NxLog\".\n"
         " * The default search string to identify a valid syslog entry is \"<158>\".\n"
         " * If -L is used, -A, -N, -U and -O will all be ignored.\n"
         " * The -D parameter provides additional debug output for the entries to be printed (even if ListOnly is "
         "selected).\n"
         " * The -M parameter is used to print a maximum of ## possible entries\n"
         " * The -S parameter must be accompanied by a search string.  If matching content is not found, nothing "
         "will be returned.\n"
         " * The -E parameter forces the search to be an explicit search string.\n"
         " * Filesize info will always be shown with commas, regardless of -O or -U settings.\n"
         " * The -O parameter supersedes -U; If both -U and -O are used, then commas will NOT displayed.\n"
         " * The -A parameter supersedes -N; If both -A and -N are used, the resulting sort will be alphabetical.\n"
         " * Numerical sorts will be sorted secondarily by name.\n"
         " * The -X parameter supersedes all parameters except -H, -V, -I and related parameters.\n\n"
         "------------------------------\nSUPPORTED SYSLOG APPS/FORMATS:\n------------------------------\n"
         " * NxLog ............... --NX, --NXLOG                 ***DEFAULT***\n"
         " * TFTPD32 ............. --TF, --TFTPD, --TFTPD32, --LEGACY\n"
         " * KiwiSyslog .......... --KS, --KIWI, --KIWISYSLOG, --SOLARWINDS\n"
         " * WhatsUp ............. --WU, --WHATSUP, --IPSWITCH\n"
         " * WinSyslog ........... --WS, --WINSYSLOG, --ADISCON\n"
         " * VisualSyslog ........ --VS, --VISUALSYSLOG\n"
         " * FastVue ............. --FV, --FASTVUE\n"
         " * CUSTOM .............. --CS, --CUSTOM-SYSLOG\n\n"
         " * If multiple syslog options are selected, then the precedence goes from left to right:\n"
         "   -- NxLog, TFTPD32, KiwiSyslog, WhatsUp, WinSyslog, VisualSyslog, FastVue, Custom\n\n"
         "------------------------\nCUSTOM CONFIG FILE INFO:\n------------------------\n"
         " * The -X parameter will generate a sample config file (default = \"Kestrum.Input.TXT\" if none "
         "provided)\n"
         "   -- This config file will read logs generated by TFTD32.\n"
         "   -- Lines beginning with \"#\" are ignored, and the config will be based on the last valid line read "
         "in the file.\n"
         "   -- The fields are listed below, in order, separated by the pipe \"|\" character.\n"
         "      -- Marker ........... What to search for to identify a valid line in the Syslog.\n"
         "      -- Date Delimiter ... The delimiter to separate the date from other items in a Syslog entry.\n"
         "      -- Date Index ....... The element number that represents the date, based on the above "
         "delimiter.\n"
         "      -- Delimiter #1 ..... The delimiter to separate the job/process name from other items in a Syslog "
         "entry.\n"
         "      -- Index #1 ......... The element number that represents the job/process name, based on the above "
         "delimiter.\n"
         "      -- Delimiter #2 ..... Optional delimiter for secondary parsing.\n"
         "      -- Index #2 ......... Optional element number for secondary parsing.\n"
         "   -- If there is no need for a second set of parsing, set Index #2 to \"-1\" (no quotes).\n\n"
         "------------------\nEXIT/RETURN CODES:\n------------------\n"
         " * Exit/Return Codes will be generated for the following conditions:\n"
         "      0 - Command Completed Successfully\n"
         "     64 - Missing Necessary/Essential Parameters\n"
         "     65 - Invalid parameters were found\n"
         "     67 - Parameters are missing mandatory values\n"
         "     69 - No Search criteria provided\n"
         "     70 - A valid filename was not provided at the command-line\n"
         "     71 - Unable to open the filename provided\n"
         "     72 - Unable to write to the output file provided\n"
         "     84 - String to Integer Conversion Error\n"
         "    255 - Syntax Help Requested\n";
}

std::string NormalHelp(const std::string& p) { return Usage(p) + Options(false) + Examples(p); }
std::string ExtendedHelp(const std::string& p) { return Usage(p) + Options(true) + Examples(p) + ExtendedTail(p); }

std::string QuotedIfBlank(const std::string& s) {
  return s.empty() || s.find(' ') != std::string::npos ? "\"" + s + "\"" : s;
}

// What the program writes to stderr for a syntax error run.
std::string SyntaxErrorText(const std::string& program, const std::vector<std::string>& args,
                            const std::string& message, bool verbose, bool pause) {
  std::string typed = KESTRUM_EXE;
  for (const std::string& a : args) typed += " " + QuotedIfBlank(a);
  // The program reports its folder as the system names it (on Windows with
  // a drive letter and backslashes), not as the path was typed.
  std::string dir = std::filesystem::path(PlatFullPath(KESTRUM_EXE)).parent_path().string();
  return Banner(program, verbose, true) + "Invalid or Incomplete Syntax!\n\nExecution Path ... " + QuotedIfBlank(dir) +
         "\nYou entered ...... " + typed + "\n\n" + message + "\n\n" +
         (pause ? "Press Any Key to Continue...\n\n" : "") + ShortHelp(program);
}

const char kSummary[] = "-H --HELP -? --H2 --HELP2 --?? --VERSION-ONLY --BUILD-ONLY --INFO";

}  // namespace

TEST(KestrumHelp, HelpRequests) {
  struct {
    std::vector<std::string> args;
    bool extended;
  } cases[] = {
      {{"-?"}, false},
      {{"log.txt", "-h"}, false},
      {{"/H"}, false},
      {{"--help"}, false},
      {{"log.txt", "-?", "-?"}, false},
      {{"log.txt", "-s", "-?"}, false},
      {{"--??"}, true},
      {{"--h2"}, true},
      {{"--HELP2"}, true},
      {{"-h", "-v"}, true},
      {{"log.txt", "/?", "--verbose"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    TProcessResult r = RunKestrum(c.args);
    EXPECT_EQ(r.ExitCode, KestrumExit::HelpShown);
    EXPECT_EQ(r.Out, Crlf(c.extended ? ExtendedHelp("Kestrum") : NormalHelp("Kestrum")));
    EXPECT_EQ(r.Err, Crlf(Banner("Kestrum", c.extended, true)));
  }
}

// The codes scripts branch on are the ones the help screen documents.
TEST(KestrumHelp, EveryExitCodeIsDocumented) {
  const std::string help = RunKestrum({"--??"}).Out;
  for (int code :
       {KestrumExit::Ok, KestrumExit::MissingParameters, KestrumExit::InvalidParameters, KestrumExit::NoSearchText,
        KestrumExit::FileNotFound, KestrumExit::ReadError, KestrumExit::WriteError, KestrumExit::HelpShown}) {
    std::string number = std::to_string(code);
    EXPECT_NE(help.find("\r\n" + std::string(7 - number.size(), ' ') + number + " - "), std::string::npos) << code;
  }
}

TEST(KestrumHelp, VersionOnlyAndInfo) {
  struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--VERSION-ONLY"}, Banner("Kestrum", true, false)},
      {{"log.txt", "--build-only", "-i"}, Banner("Kestrum", true, false)},
      {{"-i"}, Banner("Kestrum", true, true)},
      {{"log.txt", "--INFO", "-q"}, Banner("Kestrum", true, true)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    TProcessResult r = RunKestrum(c.args);
    EXPECT_EQ(r.ExitCode, KestrumExit::Ok);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, Crlf(c.err));
  }
}

TEST(KestrumHelp, SyntaxErrors) {
  struct {
    std::vector<std::string> args;
    int code;
    std::string message;
    bool verbose, pause;
  } cases[] = {
      {{},
       KestrumExit::MissingParameters,
       "Missing Essential Parameters (e.g. <filename> " + std::string(kSummary) + ")",
       false,
       false},
      {{"log.txt", "-q"}, KestrumExit::InvalidParameters, "Invalid Parameters Provided: -q ", false, false},
      {{"-d", "log.txt"}, KestrumExit::InvalidParameters, "Invalid Parameters Provided: log.txt ", false, false},
      {{"log.txt", "-a", "-a"}, KestrumExit::InvalidParameters, "Invalid Parameters Provided: -a ", false, false},
      {{"log.txt", "-q", "two words", ""},
       KestrumExit::InvalidParameters,
       "Invalid Parameters Provided: -q \"two words\" \"\" ",
       false,
       false},
      {{"log.txt", "-?", "-s"},
       KestrumExit::NoSearchText,
       "Incomplete Parameters Provided: -S must be followed by a job/process to search for...",
       false,
       false},
      {{"log.txt", "-?", "--CS"},
       KestrumExit::FileNotFound,
       "Incomplete Parameters Provided: a valid file must be provided after --CS | --CUSTOM-SYSLOG",
       false,
       false},
      {{"log.txt", "-v", "-q"}, KestrumExit::InvalidParameters, "Invalid Parameters Provided: -q ", true, false},
      {{"log.txt", "-D", "-q"}, KestrumExit::InvalidParameters, "Invalid Parameters Provided: -q ", false, true},
      {{"log.txt", "--error-delay", "-s"},
       KestrumExit::NoSearchText,
       "Incomplete Parameters Provided: -S must be followed by a job/process to search for...",
       false,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TProcessResult r = RunKestrum(c.args);
    EXPECT_EQ(r.ExitCode, c.code);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, Crlf(SyntaxErrorText("Kestrum", c.args, c.message, c.verbose, c.pause)));
  }
}

TEST(KestrumHelp, ProgramNameFollowsTheExecutableFile) {
  std::filesystem::path original(KESTRUM_EXE);
  const std::string stem = "Tallyman_" + std::to_string(std::random_device{}());
  // The second copy's name holds its extension's text before the end too.
  for (const std::string& file : {stem + original.extension().string(), stem + ".exec.exe"}) {
    SCOPED_TRACE(file);
    std::filesystem::path copy = std::filesystem::temp_directory_path() / file;
    std::filesystem::copy_file(original, copy);
    TProcessResult help = RunProgram(copy.string(), {"--??"});
    TProcessResult bad = RunProgram(copy.string(), {"log.txt", "-q"});
    std::filesystem::remove(copy);
    std::string name = copy.stem().string();
    EXPECT_EQ(help.ExitCode, KestrumExit::HelpShown);
    EXPECT_EQ(help.Out, Crlf(ExtendedHelp(name)));
    EXPECT_NE(help.Out.find("(default = \"Kestrum.Input.TXT\" if none provided)"), std::string::npos);
    EXPECT_EQ(help.Err.substr(0, name.size() + 8), name + " v2.2.0 ");
    EXPECT_NE(bad.Err.find("For more details, please type: " + name + " -?  OR  " + name + " --??\r\n"),
              std::string::npos);
  }
}
