// The help text in its three sizes: the short usage after a syntax error,
// the normal help, and the extended help (with -V).
#pragma once

#include <string_view>

// Writes through the shared output channel: standard output when help was
// asked for, standard error after a syntax-error report. program is the
// name every usage line and example shows.
void ShowHelp(std::string_view program, bool usageOnly, bool extended);
