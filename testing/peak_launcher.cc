// Runs a program for RunProgram and reports how it went, so that its peak
// memory is its own: a child spawned straight from a big test process
// starts from that process's memory and counts it in its peak.
//   peak_launcher REPORT LIMIT WORKDIR PROGRAM ARGS...
// LIMIT caps the program's address space in bytes (0: none); an empty
// WORKDIR leaves the folder as it is. The standard streams pass through
// untouched. REPORT gets "started exit-code peak-KiB": started 0 when the
// program could not be run.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 5) return 125;
  const long long limit = std::atoll(argv[2]);
  // Tells whether exec went through: closed by it, or given the error.
  int execPipe[2];
  if (pipe2(execPipe, O_CLOEXEC) != 0) return 125;
  const pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    const rlimit cap{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
    if ((argv[3][0] == '\0' || chdir(argv[3]) == 0) && (limit <= 0 || setrlimit(RLIMIT_AS, &cap) == 0))
      execv(argv[4], argv + 4);
    const int error = errno;
    if (write(execPipe[1], &error, sizeof error) < 0) _exit(127);
    _exit(127);
  }
  close(execPipe[1]);
  int error = 0;
  const bool started = read(execPipe[0], &error, sizeof error) == 0;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return 125;
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 125;
  std::fprintf(report, "%d %d %ld\n", started ? 1 : 0, code, usage.ru_maxrss);
  return std::fclose(report) == 0 ? 0 : 125;
}
