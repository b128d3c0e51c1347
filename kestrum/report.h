// The fixed-width report: dotted label lines, totals, filter notes, the
// syslog file block, and the timing block.
#pragma once

#include <cstdint>
#include <string_view>

#include "dates.h"

// Width of the number column, fixed before printing: the length of the
// entry count's number text.
extern int NumberWidth;

// A row of 80 copies of c.
void PrintRule80(char c);

// " " + the first 40 characters of (label + " " + dots) + " " + the value.
void PrintNumberLine(std::string_view label, std::int64_t value, bool grouped);
// The text right-aligned in textWidth (0: no padding).
void PrintTextLine(std::string_view label, std::string_view text, int textWidth);

// The report after the scan (tally lines, totals, notes, file block).
void PrintReport();

// Start, end and elapsed time of the run.
void PrintTimingBlock(TDateTime start, TDateTime end);
