#include "alloc_fault.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gOn{false};
std::atomic<bool> gAnyThread{false};
std::atomic<bool> gStruck{false};
std::atomic<std::int64_t> gCount{0};
std::int64_t gFailAt = 0;
thread_local bool tCounted = false;

void CountOne() {
  if (!gOn.load(std::memory_order_relaxed) || !(tCounted || gAnyThread.load(std::memory_order_relaxed))) return;
  if (++gCount == gFailAt) {
    gStruck = true;
    throw std::bad_alloc();
  }
}

void* Allocate(std::size_t size) {
  CountOne();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

// Not every C runtime has aligned_alloc: the block is cut out of a larger
// one, whose start is kept just before it.
void* AllocateAligned(std::size_t size, std::align_val_t a) {
  const std::size_t alignment = static_cast<std::size_t>(a);
  char* raw = static_cast<char*>(Allocate(size + alignment + sizeof(void*)));
  const std::uintptr_t past = reinterpret_cast<std::uintptr_t>(raw + sizeof(void*));
  char* block = raw + sizeof(void*) + (alignment - past % alignment) % alignment;
  reinterpret_cast<void**>(block)[-1] = raw;
  return block;
}

void FreeAligned(void* p) {
  if (p) std::free(static_cast<void**>(p)[-1]);
}

}  // namespace

TAllocFault::TAllocFault(std::int64_t failAt, TThreads threads) {
  gCount = 0;
  gStruck = false;
  gFailAt = failAt;
  gAnyThread = threads == AnyThread;
  tCounted = true;
  gOn = true;
}

TAllocFault::~TAllocFault() {
  gOn = false;
  tCounted = false;
  gAnyThread = false;
}

std::int64_t TAllocFault::Counted() { return gCount; }
bool TAllocFault::Struck() { return gStruck; }

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
void* operator new[](std::size_t size, std::align_val_t a) { return AllocateAligned(size, a); }
// The nothrow forms too: a runtime whose own operator new is in place (a
// sanitizer's) must not be handed a block of ours to free, or ours one of
// its.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept { return operator new(size, nothrow); }
void* operator new(std::size_t size, std::align_val_t a, const std::nothrow_t&) noexcept {
  try {
    return AllocateAligned(size, a);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t& nothrow) noexcept {
  return operator new(size, a, nothrow);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { FreeAligned(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { FreeAligned(p); }
