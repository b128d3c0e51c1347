#include "thread_group.h"

#include <algorithm>
#include <climits>
#include <system_error>

namespace {

// How many threads a group may start: all it asks for, unless a test says less.
int gStartsAllowed = INT_MAX;

}  // namespace

TThreadStartSeam::TThreadStartSeam(int allowed) : Saved(gStartsAllowed) { gStartsAllowed = allowed; }

TThreadStartSeam::~TThreadStartSeam() { gStartsAllowed = Saved; }

TThreadGroup::TThreadGroup(std::function<void()> stop) : Stop(std::move(stop)) {}

TThreadGroup::~TThreadGroup() {
  Stop();
  JoinGroup(*this);
}

int StartThreads(TThreadGroup& group, int count, const std::function<void()>& work) {
  group.Threads.reserve(group.Threads.size() + static_cast<std::size_t>(std::max(count, 0)));
  int started = 0;
  for (; started < count && static_cast<int>(group.Threads.size()) < gStartsAllowed; ++started) {
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
