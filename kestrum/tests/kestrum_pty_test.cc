// The pause and the alert, the progress text and the progress line, on a
// real terminal (a pseudo-terminal).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "exit_codes.h"
#include "kestrum_test_util.h"
#include "posix_process.h"
#include "test_files.h"

namespace {

struct TTerminalRun {
  std::string Output;
  int ExitCode = -1;
  bool Canonical = false, Echo = false;
  double Seconds = 0;
};

// Runs Kestrum on a fresh terminal; presses a key once `dotsBeforeKey` dots
// of the pause are on screen (never when negative).
TTerminalRun RunOnTerminal(std::vector<std::string> args, int dotsBeforeKey) {
  TTerminalRun run;
  int master = -1;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(KESTRUM_EXE)};
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(KESTRUM_EXE, argv.data());
    _exit(127);
  }
  if (pid < 0) return run;
  bool pressed = false;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 20000) <= 0) break;
    char buf[4096];
    ssize_t n = read(master, buf, sizeof buf);
    if (n <= 0) break;  // EIO once the program has gone
    run.Output.append(buf, static_cast<std::size_t>(n));
    std::size_t prompt = run.Output.find("Press Any Key to Continue...");
    if (!pressed && dotsBeforeKey >= 0 && prompt != std::string::npos &&
        run.Output.find(std::string(static_cast<std::size_t>(dotsBeforeKey), '.'), prompt + 28) != std::string::npos) {
      termios t;
      if (tcgetattr(master, &t) == 0) {
        // While it waits the terminal is raw: no line editing, no echo.
        EXPECT_EQ(t.c_lflag & ICANON, 0u);
        EXPECT_EQ(t.c_lflag & ECHO, 0u);
      }
      pressed = write(master, "k", 1) == 1;
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  termios after;
  if (tcgetattr(master, &after) == 0) {
    run.Canonical = (after.c_lflag & ICANON) != 0;
    run.Echo = (after.c_lflag & ECHO) != 0;
  }
  close(master);
  return run;
}

}  // namespace

TEST(KestrumTerminal, DebugSyntaxErrorBeepsPausesAndAKeyEndsIt) {
  TTerminalRun run = RunOnTerminal({"log.txt", "-D", "-q"}, 3);
  EXPECT_EQ(run.ExitCode, KestrumExit::InvalidParameters);
  std::size_t bell = run.Output.find('\a');
  std::size_t prompt = run.Output.find("Press Any Key to Continue...");
  ASSERT_NE(bell, std::string::npos) << run.Output;
  ASSERT_NE(prompt, std::string::npos) << run.Output;
  EXPECT_LT(bell, prompt);
  std::size_t dots = run.Output.find_first_not_of('.', prompt + 28) - (prompt + 28);
  EXPECT_GE(dots, 3u);
  EXPECT_LT(dots, 30u);
  EXPECT_LT(run.Seconds, 7.0);
  EXPECT_TRUE(run.Canonical);
  EXPECT_TRUE(run.Echo);
  EXPECT_NE(run.Output.find("For more details, please type:"), std::string::npos);
}

TEST(KestrumTerminal, WithoutDebugNoPauseAndNoBeep) {
  TTerminalRun run = RunOnTerminal({"log.txt", "-q"}, -1);
  EXPECT_EQ(run.ExitCode, KestrumExit::InvalidParameters);
  EXPECT_EQ(run.Output.find('\a'), std::string::npos);
  EXPECT_EQ(run.Output.find("Press Any Key"), std::string::npos);
}

namespace {

// Kestrum on a fresh terminal, reading a named pipe that the test writes
// at its own pace, so that the scan lasts as long as the test wants.
// Standard error goes to the terminal too, or to a file.
struct TSlowScan {
  TFifo Fifo;
  int Master = -1;
  pid_t Pid = -1;
  int Writer = -1;
  std::string Output;

  TSlowScan(std::vector<std::string> options, const std::string& errorFile = "") {
    std::vector<std::string> args{KESTRUM_EXE, Fifo.Path};
    args.insert(args.end(), options.begin(), options.end());
    // The write end is open before the program starts: a pipe without a
    // writer reads as an empty file, so a program that opened it first
    // would end at once and leave the test's open waiting for good. Open
    // for reading too (Linux allows it on a pipe), the open never waits.
    Writer = open(Fifo.Path.c_str(), O_RDWR | O_CLOEXEC);
    Pid = forkpty(&Master, nullptr, nullptr, nullptr);
    if (Pid == 0) {
      if (!errorFile.empty()) {
        const int fd = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, 2) < 0) _exit(127);
      }
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(KESTRUM_EXE, argv.data());
      _exit(127);
    }
  }
  void Send(const std::string& text) {
    ASSERT_EQ(write(Writer, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // Reads the terminal until the text has come (true) or the time is up.
  bool ReadUntil(const std::string& text, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (Output.find(text) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      pollfd p{Master, POLLIN, 0};
      if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
      char buf[4096];
      const ssize_t n = read(Master, buf, sizeof buf);
      if (n <= 0) return false;
      Output.append(buf, static_cast<std::size_t>(n));
    }
    return true;
  }
  // Ends the input and reads all to the program's end; its exit code.
  int Finish() {
    close(Writer);
    Writer = -1;
    ReadUntil(std::string(1, '\0'), 30);  // the terminal's end
    int status = 0;
    waitpid(Pid, &status, 0);
    close(Master);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Keeps the scan going for the time given, an entry now and then.
  void Trickle(double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      Send(NxEntry("Trickle"));
      ReadUntil(std::string(1, '\0'), 0.1);
    }
  }
};

const char kProgressText[] =
    "Processing NxLog Syslog...  Please Wait...\r\r\n\r\r\nTally of [MAJOR] Scripts Used since Dec 07 at 08:00:00";

}  // namespace

// The progress text is on the screen while the scan still runs; a scan of
// more than a second shows the progress line on standard error, which is
// gone again before the report, and the report is as it always is.
TEST(KestrumTerminal, ProgressTextAtOnceAndAProgressLineWhileScanning) {
  TSlowScan scan({});
  ASSERT_GT(scan.Pid, 0);
  scan.Send(NxEntry("First"));
  EXPECT_TRUE(scan.ReadUntil(kProgressText, 10)) << scan.Output;
  scan.Trickle(1.8);
  EXPECT_TRUE(scan.ReadUntil("\rReading ", 5)) << scan.Output;
  EXPECT_EQ(scan.Finish(), KestrumExit::Ok);
  const std::string& out = scan.Output;
  // Drawn as CR and the line, erased as CR, blanks and CR.
  static const std::regex drawn("\r(Reading [0-9,]+ bytes - [0-9,]+ MB/s)( *\r\\1)?");
  static const std::regex erased("\r +\r");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(out, m, drawn)) << out;
  const std::string shown = std::regex_replace(std::regex_replace(out, drawn, ""), erased, "");
  EXPECT_EQ(shown.find("Reading"), std::string::npos) << shown;
  // What is left is the run's own output, line by line.
  std::string lines = std::regex_replace(shown, std::regex("\r\r\n"), "\n");
  EXPECT_EQ(lines.find('\r'), std::string::npos) << lines;
  EXPECT_TRUE(std::regex_search(lines, std::regex("\n=+\n First \\.+ +1\n Trickle \\.+ +[0-9]+\n-+\n"))) << lines;
  EXPECT_NE(lines.find("\n TOTAL SYSLOG ENTRIES FOUND/READ ........ "), std::string::npos) << lines;
  EXPECT_NE(lines.find("\n" + std::string(80, '#') + "\n"), std::string::npos) << lines;
}

// Standard error redirected: not one byte of progress, on either stream.
TEST(KestrumTerminal, NoProgressLineWhenStandardErrorIsRedirected) {
  TScratchFile errors("", "progress-stderr.txt");
  TSlowScan scan({}, errors.Name());
  ASSERT_GT(scan.Pid, 0);
  scan.Send(NxEntry("First"));
  scan.Trickle(1.8);
  EXPECT_EQ(scan.Finish(), KestrumExit::Ok);
  EXPECT_EQ(std::filesystem::file_size(errors.Path), 0u);
  EXPECT_EQ(scan.Output.find("Reading"), std::string::npos) << scan.Output;
  EXPECT_NE(scan.Output.find(" TOTAL SYSLOG ENTRIES FOUND/READ ........ "), std::string::npos) << scan.Output;
}

// On a terminal the -L list comes line by line, as it is found.
TEST(KestrumTerminal, ListLinesReachTheTerminalAsTheyAreFound) {
  TSlowScan scan({"-L"});
  ASSERT_GT(scan.Pid, 0);
  scan.Send(NxEntry("Streamed"));
  EXPECT_TRUE(scan.ReadUntil("Streamed\r\r\n", 10)) << scan.Output;
  scan.Trickle(1.5);
  EXPECT_EQ(scan.Finish(), KestrumExit::Ok);
  EXPECT_EQ(scan.Output.find("Reading"), std::string::npos) << scan.Output;
}
