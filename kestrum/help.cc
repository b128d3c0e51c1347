#include "help.h"

#include "channels.h"
#include "print_rule.h"
#include "syslog_profiles.h"

namespace {

// {NAME} is the program's name and {DEFAULT} the default layout's.

const THelpPart kUsage[] = {
    {"CMD SYNTAX:", R"(
 {NAME} <name_of_syslog_file> [options]

 {NAME} <name_of_syslog_file> [-b] [-d] [-L] [-a|-n] [-u|-o] [-c ["some_marker"]] [-m <max_lines>] [-s <JobName> [-e]]

 {NAME} <name_of_syslog_file> [supported_syslog_format|--cs <name_of_config_file>]

 {NAME} [-x|--Export-Config [name_of_config_file] [--Append]]

 {NAME} [-h|-?|--h2|--??] [-v]
 {NAME} [-i|--Info|--Version-Only]

)"},
};

const THelpPart kMoreDetails[] = {{"", "For more details, please type: {NAME} -?  OR  {NAME} --??\n"}};

const THelpPart kOptions[] = {
    {"OPTION DEFINITIONS:", R"(
 -b, --banner .............. Display banner information on each program execution
 -d, --debug ............... Provide additional debug info and parsing of each line
 -m, --max-lines ........... Display a maximum of X lines from the syslog file
 -s, --search .............. Search for specific process/job names from the syslog file
 -e, --exact-match ......... Modifies the -S search to be an exact word match instead of a partial match
 -a, --alpha ............... Sort process/job names in alphabetic order
 -n, --number .............. Sort process/job names in numerical order
 -u, --use-comma ........... Display commas with numbers >= 1000  ***DEFAULT***
 -o, --no-comma ............ Do NOT display commas with any numbers (except for filesize)
 -L, --list-only ........... Generate list of process, without producing a tally
 -c, --custom-marker ....... Set custom marker for determining valid log entry.
 -x, --export-config ....... Export a sample custom config for use with --CS | --CUSTOM-SYSLOG  (see extended help)
     --append  ............. Append the sample config, rather than overwriting the file
 -v, --verbose, --build .... Display extended build information, plus application exit/return codes
 -h, --help, -? ............ Display this help message.
     --h2, --??, --help2 ... Display extended help information, plus exit/return codes.
 -i, --info ................ Display banner and build information, then exit.
     --version-only ........ Display build information without banner, then exit.
)"},
};

// Listed in the extended help only.
const THelpPart kErrorOptions[] = {
    {"", R"(
     --audible-error ....... Enable a beep on syntax error.
     --error-delay ......... Enable a ~7 second delay on syntax error.
     --debug-mode .......... Same as -D and includes enabling Audible Error and Error Delay.
)"},
};

const THelpPart kExamples[] = {
    {"SYNTAX EXAMPLES:", R"(
 {NAME} WhichSyslog.LOG -L
 {NAME} C:\Syslog\MainLog.TXT
 {NAME} D:\Logs\MySyslog.TXT -m 10
 {NAME} E:\MyApp\Syslog.TXT -s:"Create" -a
 {NAME} F:\Audit\MainSyslog.TXT -o -c="<5000>"
 {NAME} G:\AltSyslog\Kiwi-Syslog.TXT --KIWISYSLOG -n
 {NAME} -x="H:\SomeFolder\Subfolder\MySyslogConfig.TXT"
 {NAME} I:\Some\Syslog.TXT --CS "I:\Config\CustomConfig.TXT"
 {NAME} -h

)"},
};

// The extended help ends with the last exit code line, without an empty line.
const THelpPart kExtendedNotes[] = {
    {"GENERAL USAGE NOTES:", R"(
 * Entering {NAME} with no parameters will display this help message.
 * Parameters surrounded by <> are mandatory; Those surrounded by [] are optional.
 * Parameters are case-insensitive, but may be shown in uppercase for clarity.
 * Single-character parameters (e.g. -h) can be prefaced by "-" or "/".
 * Multi-character parameters (e.g. --help) should be prefaced by "--".
 * All parameters need to be separated from each other by at least one space.
 * Parameters which require values can be provided as "-z Value" or "-z:Value" or "-z=Value".
 * The -H, --?? --Version-Only and --Info parameters supersede all other options -- in that order.
 * The -V parameter causes application build mode info to be shown whenever the banner is shown.
 * Combining -H/-? and -V will display extended help info plus application exit/return codes.
 * The --?? parameter behaves like the -H/-? and -V parameters combined.
 * The -I parameter will ONLY show the banner, with build info, and quit.  It will process no other data.
 * Providing multiple instance of the same parameter (other than -?, -H etc) will result in a syntax error.
 * The application banner is only displayed when Help Syntax is displayed, or when -B is used.

)"},
    {"APP SPECIFIC NOTES:", R"(
 * The default syslog type supported is "{DEFAULT}".
 * The default search string to identify a valid syslog entry is "<158>".
 * If -L is used, -A, -N, -U and -O will all be ignored.
 * The -D parameter provides additional debug output for the entries to be printed (even if ListOnly is selected).
 * The -M parameter is used to print a maximum of ## possible entries
 * The -S parameter must be accompanied by a search string.  If matching content is not found, nothing will be returned.
 * The -E parameter forces the search to be an explicit search string.
 * Filesize info will always be shown with commas, regardless of -O or -U settings.
 * The -O parameter supersedes -U; If both -U and -O are used, then commas will NOT displayed.
 * The -A parameter supersedes -N; If both -A and -N are used, the resulting sort will be alphabetical.
 * Numerical sorts will be sorted secondarily by name.
 * The -X parameter supersedes all parameters except -H, -V, -I and related parameters.

)"},
    {"SUPPORTED SYSLOG APPS/FORMATS:", R"(
 * NxLog ............... --NX, --NXLOG                 ***DEFAULT***
 * TFTPD32 ............. --TF, --TFTPD, --TFTPD32, --LEGACY
 * KiwiSyslog .......... --KS, --KIWI, --KIWISYSLOG, --SOLARWINDS
 * WhatsUp ............. --WU, --WHATSUP, --IPSWITCH
 * WinSyslog ........... --WS, --WINSYSLOG, --ADISCON
 * VisualSyslog ........ --VS, --VISUALSYSLOG
 * FastVue ............. --FV, --FASTVUE
 * CUSTOM .............. --CS, --CUSTOM-SYSLOG

 * If multiple syslog options are selected, then the precedence goes from left to right:
   -- NxLog, TFTPD32, KiwiSyslog, WhatsUp, WinSyslog, VisualSyslog, FastVue, Custom

)"},
    {"CUSTOM CONFIG FILE INFO:", R"(
 * The -X parameter will generate a sample config file (default = "Kestrum.Input.TXT" if none provided)
   -- This config file will read logs generated by TFTD32.
   -- Lines beginning with "#" are ignored, and the config will be based on the last valid line read in the file.
   -- The fields are listed below, in order, separated by the pipe "|" character.
      -- Marker ........... What to search for to identify a valid line in the Syslog.
      -- Date Delimiter ... The delimiter to separate the date from other items in a Syslog entry.
      -- Date Index ....... The element number that represents the date, based on the above delimiter.
      -- Delimiter #1 ..... The delimiter to separate the job/process name from other items in a Syslog entry.
      -- Index #1 ......... The element number that represents the job/process name, based on the above delimiter.
      -- Delimiter #2 ..... Optional delimiter for secondary parsing.
      -- Index #2 ......... Optional element number for secondary parsing.
   -- If there is no need for a second set of parsing, set Index #2 to "-1" (no quotes).

)"},
    {"EXIT/RETURN CODES:", R"(
 * Exit/Return Codes will be generated for the following conditions:
      0 - Command Completed Successfully
     64 - Missing Necessary/Essential Parameters
     65 - Invalid parameters were found
     67 - Parameters are missing mandatory values
     69 - No Search criteria provided
     70 - A valid filename was not provided at the command-line
     71 - Unable to open the filename provided
     72 - Unable to write to the output file provided
     84 - String to Integer Conversion Error
    255 - Syntax Help Requested
)"},
};

}  // namespace

void ShowHelp(std::string_view program, bool usageOnly, bool extended) {
  const std::initializer_list<THelpFill> fills = {{"{NAME}", program},
                                                  {"{DEFAULT}", SyslogChoiceName(kDefaultSyslogChoice)}};
  PrintHelpParts(kUsage, fills);
  if (usageOnly) {
    PrintHelpParts(kMoreDetails, fills);
    return;
  }
  PrintHelpParts(kOptions, fills);
  if (extended) PrintHelpParts(kErrorOptions, fills);
  WriteLineEnd(Out());
  PrintHelpParts(kExamples, fills);
  if (extended) PrintHelpParts(kExtendedNotes, fills);
}
