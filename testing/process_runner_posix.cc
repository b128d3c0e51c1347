#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "posix_process.h"
#include "process_runner.h"

extern char** environ;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string TempName(const char* tag) {
  char buf[] = "/tmp/orvella_run_XXXXXX";
  int fd = mkstemp(buf);
  if (fd >= 0) close(fd);
  return std::string(buf) + tag;
}

void RemoveTemp(const std::string& path) {
  std::remove(path.c_str());
  std::remove(path.substr(0, path.size() - 4).c_str());
}

// Runs the program through the launcher, which forks it from a process of
// its own and so measures its peak alone. The caller's file actions set up
// standard input and output; standard error is captured.
TProcessResult Launch(const std::string& program, const std::vector<std::string>& args,
                      posix_spawn_file_actions_t* actions, const TProcessOptions& options) {
  TProcessResult result;
  const std::string errPath = TempName(".err"), reportPath = TempName(".rep");
  posix_spawn_file_actions_addopen(actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const std::string limit = std::to_string(options.MemoryLimitBytes);
  std::vector<const char*> argv = {ORVELLA_PEAK_LAUNCHER, reportPath.c_str(), limit.c_str(), options.WorkDir.c_str(),
                                   program.c_str()};
  for (const std::string& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, ORVELLA_PEAK_LAUNCHER, actions, nullptr, const_cast<char**>(argv.data()), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    int started = 0, code = -1;
    long peakKiB = -1;
    std::istringstream report(Slurp(reportPath));
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && report >> started >> code >> peakKiB && started == 1) {
      result.Started = true;
      result.ExitCode = code;
      result.PeakMemoryBytes = static_cast<std::int64_t>(peakKiB) * 1024;
    }
  }
  result.Err = Slurp(errPath);
  RemoveTemp(errPath);
  RemoveTemp(reportPath);
  return result;
}

}  // namespace

TProcessResult RunWithStdoutOn(const std::string& program, const std::vector<std::string>& args,
                               const std::string& stdoutPath) {
  TProcessOptions options;
  options.StdoutPath = stdoutPath;
  return RunProgram(program, args, options);
}

TProcessResult RunWithClosedStdout(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return TProcessResult();
  close(fds[0]);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  TProcessResult result = Launch(program, args, &actions, TProcessOptions());
  close(fds[1]);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options) {
  const bool captureOut = options.StdoutPath.empty();
  const std::string outPath = captureOut ? TempName(".out") : options.StdoutPath;
  const std::string in = options.StdinPath.empty() ? "/dev/null" : options.StdinPath;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  TProcessResult result = Launch(program, args, &actions, options);
  posix_spawn_file_actions_destroy(&actions);
  if (captureOut) {
    result.Out = Slurp(outPath);
    RemoveTemp(outPath);
  }
  return result;
}
