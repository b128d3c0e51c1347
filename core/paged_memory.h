// Memory that starts on a page, for the big arrays: the read buffer and the
// tally's tables. The read buffer is filled by the system's copy out of its
// file cache, whose pages are aligned, and that copy ran up to a quarter
// slower into a buffer that started elsewhere (measured on a 1 GB line).
//
// Large memory asks for large pages instead: an array of half a large page
// or more starts on one and is taken in whole large pages, and the system
// is asked to back it with them, so that accesses all over it do not wait
// for the page tables as well. That is for the tables of a big tally,
// whose lookups land anywhere in tens of megabytes; the read buffer is
// read in order and gained nothing from them. Smaller large memory, and all
// of it where the system offers no large pages, starts on a cache line.
#pragma once

#include <cstddef>
#include <new>

constexpr std::size_t kLargePage = std::size_t{1} << 21;

void* NewPagedMemory(std::size_t bytes, bool large);
void DeletePagedMemory(void* p, std::size_t bytes, bool large);

// What a resize puts into the new elements: zeros, or nothing at all, for
// memory that is always written before it is read. Memory left alone costs
// nothing until it is first written: the system backs it page by page.
enum class TNewElements { Zeroed, Unset };

template <class T, bool Large = false, TNewElements New = TNewElements::Zeroed>
struct TPaged {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = TPaged<U, Large, New>;
  };
  TPaged() = default;
  template <class U>
  TPaged(const TPaged<U, Large, New>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(NewPagedMemory(n * sizeof(T), Large)); }
  void deallocate(T* p, std::size_t n) { DeletePagedMemory(p, n * sizeof(T), Large); }
  template <class U>
  void construct(U* p) {
    if constexpr (New == TNewElements::Zeroed) {
      ::new (static_cast<void*>(p)) U();
    } else {
      ::new (static_cast<void*>(p)) U;
    }
  }
  bool operator==(const TPaged&) const { return true; }
};

// Frees memory from NewPagedMemory, for a unique_ptr that owns it.
struct TPagedFree {
  std::size_t Bytes = 0;
  bool Large = false;
  void operator()(void* p) const { DeletePagedMemory(p, Bytes, Large); }
};
