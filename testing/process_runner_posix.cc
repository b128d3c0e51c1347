#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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

// Spawns with stdin on the null device, stderr captured, and stdout set up
// by the caller's file actions; waits for the end.
TProcessResult SpawnAndWait(const std::string& program, const std::vector<std::string>& args,
                            posix_spawn_file_actions_t* actions, int parentCloses) {
  TProcessResult result;
  std::string errPath = TempName(".err");
  posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  bool started = posix_spawn(&pid, program.c_str(), actions, nullptr, argv.data(), environ) == 0;
  if (parentCloses >= 0) close(parentCloses);
  if (started) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.Started = true;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.Err = Slurp(errPath);
  std::remove(errPath.c_str());
  std::remove(errPath.substr(0, errPath.size() - 4).c_str());
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
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  TProcessResult result = SpawnAndWait(program, args, &actions, fds[1]);
  posix_spawn_file_actions_destroy(&actions);
  return result;
}

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options) {
  TProcessResult result;
  const bool captureOut = options.StdoutPath.empty();
  std::string outPath = captureOut ? TempName(".out") : options.StdoutPath, errPath = TempName(".err");
  std::string in = options.StdinPath.empty() ? "/dev/null" : options.StdinPath;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (options.MemoryLimitBytes > 0) {
    // posix_spawn cannot set a limit: fork, and only system calls before exec.
    const int inFd = open(in.c_str(), O_RDONLY | O_CLOEXEC);
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const rlimit limit{static_cast<rlim_t>(options.MemoryLimitBytes), static_cast<rlim_t>(options.MemoryLimitBytes)};
    if (inFd >= 0 && outFd >= 0 && errFd >= 0) pid = fork();
    if (pid == 0) {
      if (dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0) _exit(127);
      if (!options.WorkDir.empty() && chdir(options.WorkDir.c_str()) != 0) _exit(127);
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
      execve(program.c_str(), argv.data(), environ);
      _exit(127);
    }
    for (int fd : {inFd, outFd, errFd})
      if (fd >= 0) close(fd);
  } else {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (!options.WorkDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.WorkDir.c_str());
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  if (pid > 0) {
    int status = 0;
    rusage usage;
    if (wait4(pid, &status, 0, &usage) == pid) {
      result.Started = true;
      result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      result.PeakMemoryBytes = static_cast<std::int64_t>(usage.ru_maxrss) * 1024;
    }
  }
  if (captureOut) result.Out = Slurp(outPath);
  result.Err = Slurp(errPath);
  if (captureOut) {
    std::remove(outPath.c_str());
    std::remove(outPath.substr(0, outPath.size() - 4).c_str());
  }
  std::remove(errPath.c_str());
  std::remove(errPath.substr(0, errPath.size() - 4).c_str());
  return result;
}
