#pragma once

// The reader's help screen: 35 lines, or 74 when extended. Writes through the
// shared output channel.
void ShowReaderHelp(bool extended);
