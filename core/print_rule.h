#pragma once

// width "-" characters on the shared output channel, then (when asked) an
// empty line's worth of line break, then the line end.
void PrintRule(int width, bool blankLineAfter);
