#include "print_rule.h"

#include <string>

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

void PrintHelpParts(std::span<const THelpPart> parts, std::initializer_list<THelpFill> fills) {
  for (const THelpPart& part : parts) {
    if (!part.Heading.empty()) PrintHelpHeading(part.Heading);
    std::string_view lines = part.Lines;
    if (!lines.empty() && lines.front() == '\n') lines.remove_prefix(1);
    for (std::size_t end = lines.find('\n'); end != std::string_view::npos; end = lines.find('\n')) {
      std::string line(lines.substr(0, end));
      for (const THelpFill& fill : fills) line = ReplaceText(line, fill.Mark, fill.Text, false);
      WriteLine(Out(), line);
      lines.remove_prefix(end + 1);
    }
  }
}
