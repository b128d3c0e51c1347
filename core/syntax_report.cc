#include "syntax_report.h"

#include "channels.h"
#include "platform/platform.h"
#include "startup.h"
#include "text.h"

bool ErrorDelay = false;
bool AudibleError = false;

namespace {

TPauseHooks gPauseHooks = {PlatKeyWatchStart, PlatKeyPending, PlatKeyWatchStop, PlatSleep};

constexpr int kPauseSteps = 30;
constexpr int kPauseStepMs = 250;
const char kPausePrompt[] = "Press Any Key to Continue...";

void ReportHead() {
  PointSharedOutputAtError();
  TChannel& err = ErrorChannel();
  WriteLine(err, "Invalid or Incomplete Syntax!");
  WriteLineEnd(err);
}

void AlertAndPause(bool pause, bool beep) {
  if (beep) PlatBeep();
  if (pause) WaitWithDots(kPauseSteps, kPausePrompt);
}

void FullReport(std::string_view message, bool pause, bool beep) {
  ReportHead();
  TChannel& err = ErrorChannel();
  WriteLine(err, "Execution Path ... " + ExecutionPath);
  WriteLine(err, "You entered ...... " + PlatRawCommandLine());
  WriteLineEnd(err);
  PrintMessageBlock(message, "");
  AlertAndPause(pause, beep);
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
  ReportHead();
  std::string typed = "You entered: " + PlatProgramPath() + " ";
  for (const std::string& a : args) {
    typed += a.find(' ') != std::string::npos ? "\"" + a + "\"" : a;
    typed += ' ';
  }
  TChannel& err = ErrorChannel();
  WriteLine(err, typed);
  WriteLineEnd(err);
  PrintMessageBlock(message, "");
  AlertAndPause(pause, beep);
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
