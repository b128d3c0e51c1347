#pragma once

// Builds the layout table (reading the --CS file when one is named), picks
// the layout for the run into CurrentSyslogConfig (NxLog unless a layout
// option was given; among several, the one latest in enumeration order),
// and settles the marker: the -C text when not empty, else the layout's.
void SelectSyslogProfile();
