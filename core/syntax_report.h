// The report shown when a command line is unusable: what was typed, the
// program's message, an optional alert and an optional pause so a window
// opened just for this run does not vanish at once. It writes to standard
// error and leaves the shared output channel there for the rest of the run;
// it never ends the process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TParamStatisticsRec;

// The message as given; the statistics record is not consulted.
void ReportSyntaxErrorPlain(const TParamStatisticsRec& stats, std::string_view message, bool pause, bool beep);
// The short form: "You entered: " with the program's full path and the
// arguments, no execution path line.
void ReportSyntaxErrorCompact(const std::vector<std::string>& args, std::string_view message, bool pause, bool beep);

// lead + text + an empty line's worth of line ends on the error channel.
void PrintMessageBlock(std::string_view text, std::string_view lead);

// The prompt, then a dot every 250 ms until a key is pressed or steps dots
// are written; then the line ends and an empty line follows.
void WaitWithDots(int steps, std::string_view prompt);

// ---- For tests ----

// What the pause needs from the outside world: the platform's keyboard
// watch and a sleep, unless a test has put a TPauseSeam in place.
struct TPauseHooks {
  void (*StartWatch)();
  bool (*KeyPending)();
  void (*StopWatch)();
  void (*Sleep)(int milliseconds);
};

// For tests: while it lives, the pause watches the keyboard and sleeps
// through these hooks, so that it neither waits nor needs a console; the
// hooks in place before it come back on every way out of the scope.
struct TPauseSeam {
  explicit TPauseSeam(const TPauseHooks& hooks);
  ~TPauseSeam();
  TPauseSeam(const TPauseSeam&) = delete;
  TPauseSeam& operator=(const TPauseSeam&) = delete;
  TPauseHooks Saved;
};

// ---- The library's published interface that neither program uses ----
// Kept whole for other callers, and tested.

// The message followed by " (See Syntax Definition Below)".
void ReportSyntaxError(std::string_view message, bool pause, bool beep);

// Library-wide switches for the pause and the alert. Kestrum records its
// two switches here after its lookups; the reports take the pause and the
// alert as arguments, so nothing reads these.
extern bool ErrorDelay;
extern bool AudibleError;
