// The help text in its three sizes: the short usage after a syntax error,
// the normal help, and the extended help (with -V).
#pragma once

#include <string_view>

// Writes through the shared output channel: standard output when help was
// asked for, standard error after a syntax-error report.
void ShowHelp(bool usageOnly);

// A row of dashes as long as the heading, the heading, the row again.
void PrintHelpHeading(std::string_view heading);
