// The fixed-width report: dotted label lines, totals, filter notes, the
// syslog file block, and the timing block.
#pragma once

#include <cstdint>
#include <string_view>

#include "dates.h"
#include "print_rule.h"

// Width of the number column, fixed before printing: the length of the
// entry count's number text.
extern int NumberWidth;

// The report's rules: rows of 80 copies of c.
inline void PrintRule80(char c) { PrintRule(80, false, c); }

// " " + the first 40 characters of (label + " " + dots) + " " + the value.
void PrintNumberLine(std::string_view label, std::int64_t value, bool grouped);
// The text right-aligned in textWidth (0: no padding).
void PrintTextLine(std::string_view label, std::string_view text, int textWidth);

// The report after the scan (tally lines, totals, notes, file block).
void PrintReport();

// Start, end and elapsed time of the run.
void PrintTimingBlock(TDateTime start, TDateTime end);
