#include "thread_group.h"

#include <climits>
#include <system_error>

namespace {

// How many threads a group may start: all it asks for, unless a test says less.
int gStartsAllowed = INT_MAX;

}  // namespace

TThreadStartSeam::TThreadStartSeam(int allowed) : Saved(gStartsAllowed) { gStartsAllowed = allowed; }

TThreadStartSeam::~TThreadStartSeam() { gStartsAllowed = Saved; }

TThreadGroup::TThreadGroup(int capacity, std::function<void()> stop) : Stop(std::move(stop)) {
  Threads.reserve(capacity > 0 ? static_cast<std::size_t>(capacity) : 0);
}

TThreadGroup::~TThreadGroup() {
  bool running = false;
  for (const std::thread& t : Threads) running = running || t.joinable();
  if (running && Stop) Stop();
  JoinGroup(*this);
}

int StartThreads(TThreadGroup& group, int count, const std::function<void()>& work) {
  int started = 0;
  for (; started < count && group.Threads.size() < group.Threads.capacity(); ++started) {
    if (static_cast<int>(group.Threads.size()) >= gStartsAllowed) break;
    try {
      // No throw after the start: the place is there already.
      group.Threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  return started;
}

void JoinGroup(TThreadGroup& group) {
  for (std::thread& t : group.Threads)
    if (t.joinable()) t.join();
}
