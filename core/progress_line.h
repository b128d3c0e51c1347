// A passing status line for long work, on standard error when that is an
// interactive terminal, and never anywhere else: it appears once the work
// has run for a second, is redrawn at most four times a second, and is
// erased (CR, blanks, CR) before anything else is written to the console.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Starts the clock. Off unless standard error is a terminal.
void StartProgressLine(std::string_view label);
// The bytes done so far, of total (below 0: not known); cheap, so it may be
// called often.
void ShowProgress(std::int64_t done, std::int64_t total);
// Erases the line if it stands on the screen.
void EraseProgressLine();
// Erases the line and switches it off.
void StopProgressLine();

// ---- The line's text, declared here for its tests ----

// The line itself: the label, the bytes done (of total when that is known
// and above 0, with the percent) and the speed over the seconds since the
// start, cut to fit the narrowest console. Done never shows above total: a
// file that grows while it is read shows as read whole.
std::string ProgressLineText(std::string_view label, std::int64_t done, std::int64_t total, double seconds);
