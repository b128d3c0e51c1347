#pragma once

#include <string_view>

// The reader's help screen: 35 lines, or 74 when extended. Writes through the
// shared output channel; program is the name its usage lines show.
void ShowReaderHelp(std::string_view program, bool extended);
