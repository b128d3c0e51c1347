// Memory that runs out on request, for the life of the object: the
// allocation numbered FailAt (from 1, counted from the object's making)
// throws std::bad_alloc, as operator new does when the system has no more.
// Counted are the allocations of the thread that made the object, or of
// every thread. The test program's operator new is replaced for this
// (alloc_fault.cc); outside such an object it is the plain one.
#pragma once

#include <cstdint>

struct TAllocFault {
  enum TThreads { ThisThread, AnyThread };
  TAllocFault(std::int64_t failAt, TThreads threads);
  ~TAllocFault();
  TAllocFault(const TAllocFault&) = delete;
  TAllocFault& operator=(const TAllocFault&) = delete;

  // The allocations counted so far, and whether the fault has struck.
  static std::int64_t Counted();
  static bool Struck();
};
