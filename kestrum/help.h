// The help text in its three sizes: the short usage after a syntax error,
// the normal help, and the extended help (with -V).
#pragma once

// Writes through the shared output channel: standard output when help was
// asked for, standard error after a syntax-error report.
void ShowHelp(bool usageOnly);
