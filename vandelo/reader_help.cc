#include "reader_help.h"

#include "print_rule.h"

namespace {

// {NAME} is the program's name. The second syntax line ends in a blank.
const THelpPart kHelp[] = {
    {"CMD SYNTAX:", R"(
 {NAME} <name_of_config_file> [options]

 {NAME} <name_of_config_file> [-b] [-d] [-n|-m|-f [scriptname] [-g]] [-s <variable> [-p]] 

 {NAME} [-h|-?|--??] [-v]
 {NAME} [-i|--Info|--Version-Only]

)"},
    {"OPTION DEFINITIONS:", R"(
 -b, --banner ............ Display banner information on each program execution
 -d, --debug ............. Provide additional debug info and parsing of each line
 -g, --get-all ........... Processs ALL variables, not just the ones which match the current scriptname
 -f, --full-config ....... Obtain variables from a full config file containing scriptname/variable/value entries
 -m, --mini-config ....... Obtain variables from a mini config file containing only variable/value entries
 -n, --no-parsing ........ Read and display all lines of the config file
 -s, --search ............ Return a specific variable, if it exists
 -p, --partial-match ..... Modifies the -S search to be a partial match instead of an exact match
 -v, --verbose, --build .. Display extended build information, plus application error codes
 -h, --help, -? .......... Display this help message
     --??, --help2 ....... Display extended help information, plus error codes
 -i, --info .............. Display banner and build information, then exit
     --version-only ...... Display build information without banner, then exit

)"},
    {"SYNTAX EXAMPLES:", R"(
 {NAME} C:\MyConfigs\Main.Config
 {NAME} D:\Configs\Primary.TXT -m
 {NAME} E:\MyApp\MainApp.TXT -g -s "BIGVAR"
 {NAME} -h

)"},
};

const THelpPart kExtendedHelp[] = {
    {"GENERAL USAGE NOTES:", R"(
 * Entering {NAME} with no parameters will display this help message.
 * Parameters surrounded by <> are mandatory; Those surrounded by [] are optional.
 * Parameters are case-insensitive, but may be shown in uppercase for clarity.
 * Single-character parameters (e.g. -h) can be prefaced by "-" or "/".
 * Multi-character parameters (e.g. --help) should be prefaced by "--".
 * All parameters need to be separated from each other by at least one space.
 * The -H, --?? --Version-Only and --Info parameters supercede all other options -- in that order.
 * The -V parameter causes application build mode info to be shown whenever the banner is shown.
 * Combining -H/-? and -V will display extended help info plus application error codes.
 * The --?? parameter behaves like the -H/-? and -V parameters combined.
 * The --I parameter will ONLY show the banner, with build info, and quit.  It will process no other data.
 * The application banner is only displayed when Help Syntax is display, or when -B is used.

)"},
    {"APP SPECIFIC NOTES:", R"(
 * Main Orvella config file (CustomVariables.TXT) contains three columns: ScriptName, VariableName, Value.
 * Entering {NAME} with only the configuration file name is equivalent to using -F with "&" as the supplied scriptname.
 * If neither the -M nor -N parameter is selected, then -F is assumed, and -G can be used.
 * Explicitly using -F with a script name, will obtain all variables matching "&" or the scriptname.
 * The -G parameter is used to process ALL variables from a three-column config file. Only useful with -F
 * The -M parameter is used for config files which only contain two columns: VariableName, Value.
 * The -N parameter has the highest precedence, followed by -M, and then -G, if more than one of these is selected.
 * The -S parameter must be accompanied by a search string.  If matching content is not found, nothing will be returned.

)"},
    {"ERROR CODES:", R"(
 * Error Exit Codes will be generated on the following failures:
    0 - Command Completed Successfully
    1 - Syntax error -- missing necessary/essential parameters
    2 - A valid filename was not provided at the command-line
    3 - Unable to open the filename provided
    6 - No Search Criteria provided
   99 - Syntax Help Requested

)"},
};

}  // namespace

void ShowReaderHelp(std::string_view program, bool extended) {
  PrintHelpParts(kHelp, {{"{NAME}", program}});
  if (extended) PrintHelpParts(kExtendedHelp, {{"{NAME}", program}});
}
