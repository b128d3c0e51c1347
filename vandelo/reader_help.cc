#include "reader_help.h"

#include <string>
#include <string_view>

#include "channels.h"
#include "print_rule.h"
#include "reader_state.h"

namespace {

void Line(std::string_view text) { WriteLine(Out(), text); }
void Empty() { WriteLineEnd(Out()); }

}  // namespace

void ShowReaderHelp(bool extended) {
  const std::string& p = ReaderVersionInfo.ProgramName;
  PrintHelpHeading("CMD SYNTAX:");
  Line(" " + p + " <name_of_config_file> [options]");
  Empty();
  Line(" " + p + " <name_of_config_file> [-b] [-d] [-n|-m|-f [scriptname] [-g]] [-s <variable> [-p]] ");
  Empty();
  Line(" " + p + " [-h|-?|--??] [-v]");
  Line(" " + p + " [-i|--Info|--Version-Only]");
  Empty();
  PrintHelpHeading("OPTION DEFINITIONS:");
  Line(" -b, --banner ............ Display banner information on each program execution");
  Line(" -d, --debug ............. Provide additional debug info and parsing of each line");
  Line(" -g, --get-all ........... Processs ALL variables, not just the ones which match the current scriptname");
  Line(
      " -f, --full-config ....... Obtain variables from a full config file containing scriptname/variable/value "
      "entries");
  Line(" -m, --mini-config ....... Obtain variables from a mini config file containing only variable/value entries");
  Line(" -n, --no-parsing ........ Read and display all lines of the config file");
  Line(" -s, --search ............ Return a specific variable, if it exists");
  Line(" -p, --partial-match ..... Modifies the -S search to be a partial match instead of an exact match");
  Line(" -v, --verbose, --build .. Display extended build information, plus application error codes");
  Line(" -h, --help, -? .......... Display this help message");
  Line("     --??, --help2 ....... Display extended help information, plus error codes");
  Line(" -i, --info .............. Display banner and build information, then exit");
  Line("     --version-only ...... Display build information without banner, then exit");
  Empty();
  PrintHelpHeading("SYNTAX EXAMPLES:");
  Line(" " + p + " C:\\MyConfigs\\Main.Config");
  Line(" " + p + " D:\\Configs\\Primary.TXT -m");
  Line(" " + p + " E:\\MyApp\\MainApp.TXT -g -s \"BIGVAR\"");
  Line(" " + p + " -h");
  Empty();
  if (!extended) return;
  PrintHelpHeading("GENERAL USAGE NOTES:");
  Line(" * Entering " + p + " with no parameters will display this help message.");
  Line(" * Parameters surrounded by <> are mandatory; Those surrounded by [] are optional.");
  Line(" * Parameters are case-insensitive, but may be shown in uppercase for clarity.");
  Line(" * Single-character parameters (e.g. -h) can be prefaced by \"-\" or \"/\".");
  Line(" * Multi-character parameters (e.g. --help) should be prefaced by \"--\".");
  Line(" * All parameters need to be separated from each other by at least one space.");
  Line(" * The -H, --?? --Version-Only and --Info parameters supercede all other options -- in that order.");
  Line(" * The -V parameter causes application build mode info to be shown whenever the banner is shown.");
  Line(" * Combining -H/-? and -V will display extended help info plus application error codes.");
  Line(" * The --?? parameter behaves like the -H/-? and -V parameters combined.");
  Line(" * The --I parameter will ONLY show the banner, with build info, and quit.  It will process no other data.");
  Line(" * The application banner is only displayed when Help Syntax is display, or when -B is used.");
  Empty();
  PrintHelpHeading("APP SPECIFIC NOTES:");
  Line(" * Main Orvella config file (CustomVariables.TXT) contains three columns: ScriptName, VariableName, Value.");
  Line(" * Entering " + p +
       " with only the configuration file name is equivalent to using -F with \"&\" as the supplied scriptname.");
  Line(" * If neither the -M nor -N parameter is selected, then -F is assumed, and -G can be used.");
  Line(" * Explicitly using -F with a script name, will obtain all variables matching \"&\" or the scriptname.");
  Line(" * The -G parameter is used to process ALL variables from a three-column config file. Only useful with -F");
  Line(" * The -M parameter is used for config files which only contain two columns: VariableName, Value.");
  Line(
      " * The -N parameter has the highest precedence, followed by -M, and then -G, if more than one of these is "
      "selected.");
  Line(
      " * The -S parameter must be accompanied by a search string.  If matching content is not found, nothing will "
      "be returned.");
  Empty();
  PrintHelpHeading("ERROR CODES:");
  Line(" * Error Exit Codes will be generated on the following failures:");
  Line("    0 - Command Completed Successfully");
  Line("    1 - Syntax error -- missing necessary/essential parameters");
  Line("    2 - A valid filename was not provided at the command-line");
  Line("    3 - Unable to open the filename provided");
  Line("    6 - No Search Criteria provided");
  Line("   99 - Syntax Help Requested");
  Empty();
}
