#include "paged_memory.h"

#include <cstdint>
#include <new>

#include "platform/platform.h"

namespace {

constexpr std::size_t kPage = 4096;

// Where the system gives no large pages, large memory is ordinary memory:
// memory rounded and aligned for them would only be taken for nothing
// (Windows commits all of it).
bool OnLargePages(std::size_t bytes, bool large) {
  return large && PlatLargePagesOffered() && bytes >= kLargePage / 2;
}

// Large pages are whole: memory for them is taken in whole large pages, so
// that the last one is shared with no other memory (which would keep it
// small) and the hint covers it.
std::size_t Taken(std::size_t bytes, bool large) {
  return OnLargePages(bytes, large) ? (bytes + kLargePage - 1) / kLargePage * kLargePage : bytes;
}

// Small large memory is aligned to cache lines only: the tally's many small
// tables, page-aligned, took a few megabytes more from the heap.
std::align_val_t AlignmentFor(std::size_t bytes, bool large) {
  return std::align_val_t{!large ? kPage : OnLargePages(bytes, large) ? kLargePage : 64};
}

}  // namespace

void* NewPagedMemory(std::size_t bytes, bool large) {
  if (bytes > SIZE_MAX - kLargePage) throw std::bad_alloc();
  void* p = ::operator new(Taken(bytes, large), AlignmentFor(bytes, large));
  // Before the first touch: a page already in use stays a small one.
  if (OnLargePages(bytes, large)) PlatAdviseLargePages(p, Taken(bytes, large));
  return p;
}

void DeletePagedMemory(void* p, std::size_t bytes, bool large) {
  ::operator delete(p, AlignmentFor(bytes, large));
}
