#include "reader_help.h"

#include "print_rule.h"

// reader_help.txt, embedded by the build. {NAME} stands for the program's
// name; the second syntax line ends in a blank.
extern const char kVandeloHelpText[];

void ShowReaderHelp(std::string_view program, bool extended) {
  PrintHelpText(kVandeloHelpText, extended ? 'E' : 'N', {{"{NAME}", program}});
}
