// Rule lines and the help screens built of them.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

// width copies of c ("-" unless another is asked for) on the shared output
// channel, then, when asked, a line break so that an empty line follows,
// then the line end.
void PrintRule(int width, bool blankLineAfter, char c = '-');

// A row of dashes as long as the heading, the heading, the row again.
void PrintHelpHeading(std::string_view heading);

// One part of a help screen: a heading, framed by PrintHelpHeading (no
// frame when it is empty), then its lines, each ended by "\n". A "\n" at
// the very start is not a line, so that a raw string may open on a line of
// its own.
struct THelpPart {
  std::string_view Heading;
  std::string_view Lines;
};

// A mark in the lines of a help part, and the text shown in its place.
struct THelpFill {
  std::string_view Mark;
  std::string_view Text;
};

// The parts in order on the shared output channel, every mark filled in.
void PrintHelpParts(std::span<const THelpPart> parts, std::initializer_list<THelpFill> fills);
