// A group of threads that is joined on every path. A std::thread still
// running when it is destroyed ends the process, so threads are started and
// joined through one owner: on an early way out (a throw, say) it tells the
// threads to stop and waits for them before anything they use goes away.
//
// One policy serves every user: the threads take their work from a shared
// list, so a thread that the system refuses to start leaves its share to
// the others.
#pragma once

#include <functional>
#include <thread>
#include <vector>

struct TThreadGroup {
  explicit TThreadGroup(std::function<void()> stop);
  // Calls Stop, then waits for the threads still running.
  ~TThreadGroup();
  TThreadGroup(const TThreadGroup&) = delete;
  TThreadGroup& operator=(const TThreadGroup&) = delete;

  std::vector<std::thread> Threads;
  std::function<void()> Stop;  // asks the threads to end soon
};

// Starts up to count threads of the group, each running work; returns how
// many the system gave. Room for them all is made before any starts:
// running out of memory throws, with none started.
int StartThreads(TThreadGroup& group, int count, const std::function<void()>& work);

// Waits for every thread of the group.
void JoinGroup(TThreadGroup& group);

// For tests: while it lives, a group starts no more than allowed threads,
// as if the system refused the rest.
struct TThreadStartSeam {
  explicit TThreadStartSeam(int allowed);
  ~TThreadStartSeam();
  TThreadStartSeam(const TThreadStartSeam&) = delete;
  TThreadStartSeam& operator=(const TThreadStartSeam&) = delete;
  int Saved;
};
