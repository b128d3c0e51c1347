// Program-wide values that a test changes, given back on every way out of
// it: an ASSERT that ends the test early, or a throw, would otherwise leave
// the change to every later test of the same program.
#pragma once

#include <utility>

// While it lives, the variable may be changed freely; it gets its value back
// when the guard goes.
template <typename T>
struct TRestoreOnExit {
  explicit TRestoreOnExit(T& variable) : Variable(variable), Saved(variable) {}
  ~TRestoreOnExit() { Variable = std::move(Saved); }
  TRestoreOnExit(const TRestoreOnExit&) = delete;
  TRestoreOnExit& operator=(const TRestoreOnExit&) = delete;
  T& Variable;
  T Saved;
};
