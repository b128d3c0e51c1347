#include "print_rule.h"

#include <string>

#include "channels.h"
#include "line_reader.h"
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

void PrintHelpText(std::string_view text, char size, std::initializer_list<THelpFill> fills) {
  bool shown = false;
  while (!text.empty()) {
    std::string_view line;
    text = TakeLine(text, &line);
    if (line.starts_with("@@ ")) {
      const std::string_view opening = line.substr(3);
      const std::size_t blank = opening.find(' ');
      shown = opening.substr(0, blank).find(size) != std::string_view::npos;
      if (shown && blank != std::string_view::npos) PrintHelpHeading(opening.substr(blank + 1));
      continue;
    }
    if (!shown) continue;
    std::string filled(line);
    for (const THelpFill& fill : fills) filled = ReplaceText(filled, fill.Mark, fill.Text, false);
    WriteLine(Out(), filled);
  }
}
