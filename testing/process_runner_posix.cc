#include "process_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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

}  // namespace

TProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                          const TProcessOptions& options) {
  TProcessResult result;
  std::string outPath = TempName(".out"), errPath = TempName(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  std::string in = options.StdinPath.empty() ? "/dev/null" : options.StdinPath;
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!options.WorkDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, options.WorkDir.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.Started = true;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.Out = Slurp(outPath);
  result.Err = Slurp(errPath);
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  std::remove(outPath.substr(0, outPath.size() - 4).c_str());
  std::remove(errPath.substr(0, errPath.size() - 4).c_str());
  return result;
}
