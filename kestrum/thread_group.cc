#include "thread_group.h"

#include <system_error>

bool (*RefuseThreadStart)(int started) = nullptr;

TThreadGroup::TThreadGroup(int capacity, std::function<void()> stop) : Stop(std::move(stop)) {
  Threads.reserve(capacity > 0 ? static_cast<std::size_t>(capacity) : 0);
}

TThreadGroup::~TThreadGroup() {
  bool running = false;
  for (const std::thread& t : Threads) running = running || t.joinable();
  if (running && Stop) Stop();
  JoinGroup(*this);
}

bool StartInGroup(TThreadGroup& group, const std::function<void()>& work) {
  if (group.Threads.size() == group.Threads.capacity()) return false;
  if (RefuseThreadStart && RefuseThreadStart(static_cast<int>(group.Threads.size()))) return false;
  try {
    // No throw after the start: the place is there already.
    group.Threads.emplace_back(work);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void JoinGroup(TThreadGroup& group) {
  for (std::thread& t : group.Threads)
    if (t.joinable()) t.join();
}
