// Rule lines and the help screens built of them.
#pragma once

#include <initializer_list>
#include <string_view>

// width copies of c ("-" unless another is asked for) on the shared output
// channel, then, when asked, a line break so that an empty line follows,
// then the line end.
void PrintRule(int width, bool blankLineAfter, char c = '-');

// A row of dashes as long as the heading, the heading, the row again.
void PrintHelpHeading(std::string_view heading);

// A mark in a help text, and the text shown in its place.
struct THelpFill {
  std::string_view Mark;
  std::string_view Text;
};

// A help text (a program's help.txt, embedded by the build) on the shared
// output channel, in one of its sizes, every mark filled in. The text is a
// series of parts, each opened by a line "@@ SIZES HEADING": SIZES are the
// letters of the sizes that show the part (S short, N normal, E extended),
// and HEADING, when there is one, is framed by PrintHelpHeading. The lines
// up to the next part are the part's lines.
void PrintHelpText(std::string_view text, char size, std::initializer_list<THelpFill> fills);
