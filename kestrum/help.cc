#include "help.h"

#include <string>

#include "channels.h"
#include "print_rule.h"
#include "run_state.h"
#include "syslog_profiles.h"

namespace {

void Line(std::string_view text) { WriteLine(Out(), text); }
void Empty() { WriteLineEnd(Out()); }

void CommandSyntax(const std::string& p) {
  PrintHelpHeading("CMD SYNTAX:");
  Line(" " + p + " <name_of_syslog_file> [options]");
  Empty();
  Line(" " + p +
       " <name_of_syslog_file> [-b] [-d] [-L] [-a|-n] [-u|-o] [-c [\"some_marker\"]] [-m <max_lines>] [-s "
       "<JobName> [-e]]");
  Empty();
  Line(" " + p + " <name_of_syslog_file> [supported_syslog_format|--cs <name_of_config_file>]");
  Empty();
  Line(" " + p + " [-x|--Export-Config [name_of_config_file] [--Append]]");
  Empty();
  Line(" " + p + " [-h|-?|--h2|--??] [-v]");
  Line(" " + p + " [-i|--Info|--Version-Only]");
  Empty();
}

void OptionDefinitions(bool extended) {
  PrintHelpHeading("OPTION DEFINITIONS:");
  Line(" -b, --banner .............. Display banner information on each program execution");
  Line(" -d, --debug ............... Provide additional debug info and parsing of each line");
  Line(" -m, --max-lines ........... Display a maximum of X lines from the syslog file");
  Line(" -s, --search .............. Search for specific process/job names from the syslog file");
  Line(" -e, --exact-match ......... Modifies the -S search to be an exact word match instead of a partial match");
  Line(" -a, --alpha ............... Sort process/job names in alphabetic order");
  Line(" -n, --number .............. Sort process/job names in numerical order");
  Line(" -u, --use-comma ........... Display commas with numbers >= 1000  ***DEFAULT***");
  Line(" -o, --no-comma ............ Do NOT display commas with any numbers (except for filesize)");
  Line(" -L, --list-only ........... Generate list of process, without producing a tally");
  Line(" -c, --custom-marker ....... Set custom marker for determining valid log entry.");
  Line(
      " -x, --export-config ....... Export a sample custom config for use with --CS | --CUSTOM-SYSLOG  (see "
      "extended help)");
  Line("     --append  ............. Append the sample config, rather than overwriting the file");
  Line(" -v, --verbose, --build .... Display extended build information, plus application exit/return codes");
  Line(" -h, --help, -? ............ Display this help message.");
  Line("     --h2, --??, --help2 ... Display extended help information, plus exit/return codes.");
  Line(" -i, --info ................ Display banner and build information, then exit.");
  Line("     --version-only ........ Display build information without banner, then exit.");
  if (extended) {
    Line("     --audible-error ....... Enable a beep on syntax error.");
    Line("     --error-delay ......... Enable a ~7 second delay on syntax error.");
    Line("     --debug-mode .......... Same as -D and includes enabling Audible Error and Error Delay.");
  }
  Empty();
}

void SyntaxExamples(const std::string& p) {
  PrintHelpHeading("SYNTAX EXAMPLES:");
  Line(" " + p + " WhichSyslog.LOG -L");
  Line(" " + p + " C:\\Syslog\\MainLog.TXT");
  Line(" " + p + " D:\\Logs\\MySyslog.TXT -m 10");
  Line(" " + p + " E:\\MyApp\\Syslog.TXT -s:\"Create\" -a");
  Line(" " + p + " F:\\Audit\\MainSyslog.TXT -o -c=\"<5000>\"");
  Line(" " + p + " G:\\AltSyslog\\Kiwi-Syslog.TXT --KIWISYSLOG -n");
  Line(" " + p + " -x=\"H:\\SomeFolder\\Subfolder\\MySyslogConfig.TXT\"");
  Line(" " + p + " I:\\Some\\Syslog.TXT --CS \"I:\\Config\\CustomConfig.TXT\"");
  Line(" " + p + " -h");
  Empty();
}

void GeneralNotes(const std::string& p) {
  PrintHelpHeading("GENERAL USAGE NOTES:");
  Line(" * Entering " + p + " with no parameters will display this help message.");
  Line(" * Parameters surrounded by <> are mandatory; Those surrounded by [] are optional.");
  Line(" * Parameters are case-insensitive, but may be shown in uppercase for clarity.");
  Line(" * Single-character parameters (e.g. -h) can be prefaced by \"-\" or \"/\".");
  Line(" * Multi-character parameters (e.g. --help) should be prefaced by \"--\".");
  Line(" * All parameters need to be separated from each other by at least one space.");
  Line(" * Parameters which require values can be provided as \"-z Value\" or \"-z:Value\" or \"-z=Value\".");
  Line(" * The -H, --?? --Version-Only and --Info parameters supersede all other options -- in that order.");
  Line(" * The -V parameter causes application build mode info to be shown whenever the banner is shown.");
  Line(" * Combining -H/-? and -V will display extended help info plus application exit/return codes.");
  Line(" * The --?? parameter behaves like the -H/-? and -V parameters combined.");
  Line(" * The -I parameter will ONLY show the banner, with build info, and quit.  It will process no other data.");
  Line(
      " * Providing multiple instance of the same parameter (other than -?, -H etc) will result in a syntax "
      "error.");
  Line(" * The application banner is only displayed when Help Syntax is displayed, or when -B is used.");
  Empty();
}

void AppNotes() {
  PrintHelpHeading("APP SPECIFIC NOTES:");
  Line(std::string(" * The default syslog type supported is \"") + SyslogChoiceName(kDefaultSyslogChoice) + "\".");
  Line(" * The default search string to identify a valid syslog entry is \"<158>\".");
  Line(" * If -L is used, -A, -N, -U and -O will all be ignored.");
  Line(
      " * The -D parameter provides additional debug output for the entries to be printed (even if ListOnly is "
      "selected).");
  Line(" * The -M parameter is used to print a maximum of ## possible entries");
  Line(
      " * The -S parameter must be accompanied by a search string.  If matching content is not found, nothing "
      "will be returned.");
  Line(" * The -E parameter forces the search to be an explicit search string.");
  Line(" * Filesize info will always be shown with commas, regardless of -O or -U settings.");
  Line(" * The -O parameter supersedes -U; If both -U and -O are used, then commas will NOT displayed.");
  Line(" * The -A parameter supersedes -N; If both -A and -N are used, the resulting sort will be alphabetical.");
  Line(" * Numerical sorts will be sorted secondarily by name.");
  Line(" * The -X parameter supersedes all parameters except -H, -V, -I and related parameters.");
  Empty();
}

void SupportedFormats() {
  PrintHelpHeading("SUPPORTED SYSLOG APPS/FORMATS:");
  Line(" * NxLog ............... --NX, --NXLOG                 ***DEFAULT***");
  Line(" * TFTPD32 ............. --TF, --TFTPD, --TFTPD32, --LEGACY");
  Line(" * KiwiSyslog .......... --KS, --KIWI, --KIWISYSLOG, --SOLARWINDS");
  Line(" * WhatsUp ............. --WU, --WHATSUP, --IPSWITCH");
  Line(" * WinSyslog ........... --WS, --WINSYSLOG, --ADISCON");
  Line(" * VisualSyslog ........ --VS, --VISUALSYSLOG");
  Line(" * FastVue ............. --FV, --FASTVUE");
  Line(" * CUSTOM .............. --CS, --CUSTOM-SYSLOG");
  Empty();
  Line(" * If multiple syslog options are selected, then the precedence goes from left to right:");
  Line("   -- NxLog, TFTPD32, KiwiSyslog, WhatsUp, WinSyslog, VisualSyslog, FastVue, Custom");
  Empty();
}

void CustomConfigInfo() {
  PrintHelpHeading("CUSTOM CONFIG FILE INFO:");
  Line(" * The -X parameter will generate a sample config file (default = \"Kestrum.Input.TXT\" if none provided)");
  Line("   -- This config file will read logs generated by TFTD32.");
  Line(
      "   -- Lines beginning with \"#\" are ignored, and the config will be based on the last valid line read in "
      "the file.");
  Line("   -- The fields are listed below, in order, separated by the pipe \"|\" character.");
  Line("      -- Marker ........... What to search for to identify a valid line in the Syslog.");
  Line("      -- Date Delimiter ... The delimiter to separate the date from other items in a Syslog entry.");
  Line("      -- Date Index ....... The element number that represents the date, based on the above delimiter.");
  Line(
      "      -- Delimiter #1 ..... The delimiter to separate the job/process name from other items in a Syslog "
      "entry.");
  Line(
      "      -- Index #1 ......... The element number that represents the job/process name, based on the above "
      "delimiter.");
  Line("      -- Delimiter #2 ..... Optional delimiter for secondary parsing.");
  Line("      -- Index #2 ......... Optional element number for secondary parsing.");
  Line("   -- If there is no need for a second set of parsing, set Index #2 to \"-1\" (no quotes).");
  Empty();
}

void ExitCodes() {
  PrintHelpHeading("EXIT/RETURN CODES:");
  Line(" * Exit/Return Codes will be generated for the following conditions:");
  Line("      0 - Command Completed Successfully");
  Line("     64 - Missing Necessary/Essential Parameters");
  Line("     65 - Invalid parameters were found");
  Line("     67 - Parameters are missing mandatory values");
  Line("     69 - No Search criteria provided");
  Line("     70 - A valid filename was not provided at the command-line");
  Line("     71 - Unable to open the filename provided");
  Line("     72 - Unable to write to the output file provided");
  Line("     84 - String to Integer Conversion Error");
  Line("    255 - Syntax Help Requested");
}

}  // namespace

void ShowHelp(bool usageOnly) {
  const std::string& p = VersionInfo.ProgramName;
  CommandSyntax(p);
  if (usageOnly) {
    Line("For more details, please type: " + p + " -?  OR  " + p + " --??");
    return;
  }
  const bool extended = RunOptions.Verbose;
  OptionDefinitions(extended);
  SyntaxExamples(p);
  if (!extended) return;
  GeneralNotes(p);
  AppNotes();
  SupportedFormats();
  CustomConfigInfo();
  ExitCodes();
}
