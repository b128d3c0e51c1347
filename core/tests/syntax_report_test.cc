#include "syntax_report.h"

#include <gtest/gtest.h>

#include "output_capture.h"
#include "platform/platform.h"
#include "startup.h"

namespace {

// A keyboard that is pressed after a given number of polls.
struct TFakeKeyboard {
  static int PollsUntilKey;
  static int Polls, Sleeps, SleptMs, Starts, Stops;
  static void Start() { ++Starts; }
  static bool Pending() { return PollsUntilKey >= 0 && Polls++ >= PollsUntilKey; }
  static void Stop() { ++Stops; }
  static void Sleep(int ms) {
    ++Sleeps;
    SleptMs += ms;
  }
};
int TFakeKeyboard::PollsUntilKey, TFakeKeyboard::Polls, TFakeKeyboard::Sleeps, TFakeKeyboard::SleptMs,
    TFakeKeyboard::Starts, TFakeKeyboard::Stops;

struct SyntaxReportTest : ::testing::Test {
  TOutputCapture capture;
  TPauseSeam keyboard{{TFakeKeyboard::Start, TFakeKeyboard::Pending, TFakeKeyboard::Stop, TFakeKeyboard::Sleep}};
  void SetUp() override {
    TFakeKeyboard::PollsUntilKey = -1;
    TFakeKeyboard::Polls = TFakeKeyboard::Sleeps = TFakeKeyboard::SleptMs = 0;
    TFakeKeyboard::Starts = TFakeKeyboard::Stops = 0;
  }
};

}  // namespace

TEST_F(SyntaxReportTest, PauseWithoutAKeyWritesThirtyDots) {
  WaitWithDots(30, "Press Any Key to Continue...");
  EXPECT_EQ(capture.Get(), "Press Any Key to Continue..." + std::string(30, '.') + "\r\n\r\n");
  EXPECT_EQ(TFakeKeyboard::SleptMs, 7500);
  EXPECT_EQ(TFakeKeyboard::Starts, 1);
  EXPECT_EQ(TFakeKeyboard::Stops, 1);
}

TEST_F(SyntaxReportTest, KeyPressEndsThePauseAtTheNextCheck) {
  for (int key : {0, 1, 7, 29}) {
    SCOPED_TRACE(key);
    SetUp();
    capture.Text.clear();
    TFakeKeyboard::PollsUntilKey = key;
    WaitWithDots(30, "P");
    EXPECT_EQ(capture.Get(), "P" + std::string(static_cast<std::size_t>(key), '.') + "\r\n\r\n");
    EXPECT_EQ(TFakeKeyboard::Sleeps, key);
  }
}

TEST_F(SyntaxReportTest, ReportTextPointerRules) {
  struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Bad thing", "Bad thing (See Syntax Definition Below)"},
      {"Bad thing ", "Bad thing (See Syntax Definition Below)"},
      {"", " (See Syntax Definition Below)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    capture.ErrorText.clear();
    ReportSyntaxError(c.message, false, false);
    std::string want = "Invalid or Incomplete Syntax!\r\n\r\nExecution Path ... " + ExecutionPath +
                       "\r\nYou entered ...... " + PlatRawCommandLine() + "\r\n\r\n" + c.shown + "\r\n\r\n";
    EXPECT_EQ(capture.GetErrors(), want);
    EXPECT_EQ(capture.Get(), "");
  }
}

TEST_F(SyntaxReportTest, AfterTheReportSharedOutputGoesToStandardError) {
  Write(Out(), "before\r\n");
  ReportSyntaxErrorCompact({"a b", "-s"}, "Message", true, false);
  Write(Out(), "help\r\n");
  EXPECT_EQ(capture.Get(), "before\r\n");
  EXPECT_EQ(capture.GetErrors(), "Invalid or Incomplete Syntax!\r\n\r\nYou entered: " + PlatProgramPath() +
                                     " \"a b\" -s \r\n\r\nMessage\r\n\r\nPress Any Key to Continue..." +
                                     std::string(30, '.') + "\r\n\r\nhelp\r\n");
}

// A run that fails halfway through a line drops that line: the stream ends
// after the last whole line, also when the buffer filled up in that line.
TEST(Channels, FailedRunLeavesNoCutLine) {
  const std::string line(1000, 'x');
  struct {
    const char* what;
    int wholeLines;
    std::size_t tail;  // of the unfinished line
  } cases[] = {{"inside the buffer", 3, 5}, {"past the buffer's size", 65, 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TOutputCapture capture;
    std::string whole;
    for (int i = 0; i < c.wholeLines; ++i) {
      Write(Out(), line.substr(0, 500));
      WriteLine(Out(), line.substr(500));
      whole += line + "\r\n";
    }
    Write(Out(), "Processing ");
    Write(Out(), std::string(c.tail, 'y'));
    DropUnfinishedLine(Out());
    WriteLine(ErrorChannel(), "error");
    EXPECT_EQ(capture.Get(), whole);
    EXPECT_EQ(capture.GetErrors(), "error\r\n");
  }
}

// A capture inside another takes only what is written while it lives, and
// the outer one gets its own unflushed text and the shared output back.
TEST(Channels, CapturesNest) {
  TOutputCapture outer;
  Write(Out(), "outer ");
  PointSharedOutputAtError();
  {
    TOutputCapture inner;
    WriteLine(Out(), "inner");
    EXPECT_EQ(inner.Get(), "inner\r\n");
  }
  WriteLine(Out(), "after");
  EXPECT_EQ(outer.Get(), "outer ");
  EXPECT_EQ(outer.GetErrors(), "after\r\n");
}
