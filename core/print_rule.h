#pragma once

#include <string_view>

// width copies of c ("-" unless another is asked for) on the shared output
// channel, then, when asked, a line break so that an empty line follows,
// then the line end.
void PrintRule(int width, bool blankLineAfter, char c = '-');

// A row of dashes as long as the heading, the heading, the row again.
void PrintHelpHeading(std::string_view heading);
