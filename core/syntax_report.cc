#include "syntax_report.h"

#include <chrono>
#include <thread>

#include "channels.h"
#include "platform/platform.h"
#include "startup.h"

bool ErrorDelay = false;
bool AudibleError = false;

namespace {

void SleepFor(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

TPauseHooks gPauseHooks = {PlatKeyWatchStart, PlatKeyPending, PlatKeyWatchStop, SleepFor};

constexpr int kPauseSteps = 30;
constexpr int kPauseStepMs = 250;
const char kPausePrompt[] = "Press Any Key to Continue...";

// The report around the lines that say what was typed: the heading, those
// lines, the message block, then the alert and the pause, in that order.
void Report(std::initializer_list<std::string> typed, std::string_view message, bool pause, bool beep) {
  PointSharedOutputAtError();
  TChannel& err = ErrorChannel();
  WriteLine(err, "Invalid or Incomplete Syntax!");
  WriteLineEnd(err);
  for (const std::string& line : typed) WriteLine(err, line);
  WriteLineEnd(err);
  PrintMessageBlock(message, "");
  if (beep) PlatBeep();
  if (pause) WaitWithDots(kPauseSteps, kPausePrompt);
}

// The full form: where the program runs from and the command line as typed.
void FullReport(std::string_view message, bool pause, bool beep) {
  Report({"Execution Path ... " + ExecutionPath, "You entered ...... " + PlatRawCommandLine()}, message, pause, beep);
}

}  // namespace

void PrintMessageBlock(std::string_view text, std::string_view lead) {
  TChannel& err = ErrorChannel();
  Write(err, lead);
  Write(err, text);
  WriteLineEnd(err);
  WriteLineEnd(err);
}

void ReportSyntaxError(std::string_view message, bool pause, bool beep) {
  std::string text(message);
  if (text.empty() || text.back() != ' ') text += ' ';
  text += "(See Syntax Definition Below)";
  FullReport(text, pause, beep);
}

void ReportSyntaxErrorPlain(const TParamStatisticsRec&, std::string_view message, bool pause, bool beep) {
  FullReport(message, pause, beep);
}

void ReportSyntaxErrorCompact(const std::vector<std::string>& args, std::string_view message, bool pause, bool beep) {
  std::string typed = "You entered: " + PlatProgramPath() + " ";
  for (const std::string& a : args) {
    typed += a.find(' ') != std::string::npos ? "\"" + a + "\"" : a;
    typed += ' ';
  }
  Report({typed}, message, pause, beep);
}

void WaitWithDots(int steps, std::string_view prompt) {
  TChannel& out = Out();
  gPauseHooks.StartWatch();
  Write(out, prompt);
  Flush(out);
  for (int done = 0; done < steps && !gPauseHooks.KeyPending(); ++done) {
    gPauseHooks.Sleep(kPauseStepMs);
    Write(out, ".");
    Flush(out);
  }
  gPauseHooks.StopWatch();
  WriteLineEnd(out);
  WriteLineEnd(out);
}

TPauseSeam::TPauseSeam(const TPauseHooks& hooks) : Saved(gPauseHooks) { gPauseHooks = hooks; }

TPauseSeam::~TPauseSeam() { gPauseHooks = Saved; }
