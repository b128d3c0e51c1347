// A group of threads that is joined on every path. A std::thread still
// running when it is destroyed ends the process, so threads are started and
// joined through one owner: on an early way out (a throw, say) it tells the
// threads to stop and waits for them before anything they use goes away.
#pragma once

#include <functional>
#include <thread>
#include <vector>

struct TThreadGroup {
  // Room for every thread is made here, before any starts.
  TThreadGroup(int capacity, std::function<void()> stop = {});
  ~TThreadGroup();
  TThreadGroup(const TThreadGroup&) = delete;
  TThreadGroup& operator=(const TThreadGroup&) = delete;

  std::vector<std::thread> Threads;
  std::function<void()> Stop;  // asks the threads to end soon; may be empty
};

// Starts work on a new thread of the group. False when the system gives no
// thread: the caller does that work some other way. Running out of memory
// throws.
bool StartInGroup(TThreadGroup& group, const std::function<void()>& work);

// Waits for every thread of the group.
void JoinGroup(TThreadGroup& group);

// For tests: when set, asked before each start with the number of threads
// the group has started so far; true refuses the start as the system would.
extern bool (*RefuseThreadStart)(int started);
