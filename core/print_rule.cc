#include "print_rule.h"

#include "channels.h"
#include "text.h"

void PrintRule(int width, bool blankLineAfter, char c) {
  Write(Out(), RepeatChar(c, width));
  if (blankLineAfter) WriteLineEnd(Out());
  WriteLineEnd(Out());
}

void PrintHelpHeading(std::string_view heading) {
  PrintRule(static_cast<int>(heading.size()), false);
  WriteLine(Out(), heading);
  PrintRule(static_cast<int>(heading.size()), false);
}
