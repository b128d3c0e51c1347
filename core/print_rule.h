#pragma once

#include <string_view>

// width "-" characters on the shared output channel, then (when asked) an
// empty line's worth of line break, then the line end.
void PrintRule(int width, bool blankLineAfter);

// A row of dashes as long as the heading, the heading, the row again.
void PrintHelpHeading(std::string_view heading);
