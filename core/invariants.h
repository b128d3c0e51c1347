// Checks of the invariants that records write down, in the builds that run
// the tests and the fuzzers (ORVELLA_CHECK_INVARIANTS); nothing elsewhere.
// A broken invariant is a fault of the program, so it stops the process.
#pragma once

#ifdef ORVELLA_CHECK_INVARIANTS
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void InvariantBroken(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}
#define ORVELLA_INVARIANT(condition) \
  ((condition) ? static_cast<void>(0) : InvariantBroken(#condition, __FILE__, __LINE__))
#else
#define ORVELLA_INVARIANT(condition) static_cast<void>(0)
#endif
