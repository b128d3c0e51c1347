// The pause and the alert on a real terminal (a pseudo-terminal).
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "exit_codes.h"

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
