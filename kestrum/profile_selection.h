#pragma once

#include <string>

#include "options.h"

// Builds the layout table (reading the --CS file when one is named) and
// picks the layout for the run into CurrentSyslogConfig: NxLog unless a
// layout option was given; among several, the one latest in enumeration
// order. Returns the marker the scan looks for: the -C text when not empty,
// else the layout's.
std::string SelectSyslogProfile(const TKestrumParams& p);
