#include "help.h"

#include "print_rule.h"
#include "syslog_profiles.h"

// help.txt, embedded by the build. {NAME} stands for the program's name and
// {DEFAULT} for the default layout's.
extern const char kKestrumHelpText[];

void ShowHelp(std::string_view program, bool usageOnly, bool extended) {
  PrintHelpText(kKestrumHelpText, usageOnly ? 'S' : extended ? 'E' : 'N',
                {{"{NAME}", program}, {"{DEFAULT}", SyslogChoiceName(kDefaultSyslogChoice)}});
}
