// Replaces the global allocation functions of a test binary so that tests can watch them.
#include "tests/support/AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};
std::atomic<size_t> gLargeFrom{~size_t(0)};
std::atomic<int> gLargeAllowed{0};
std::atomic<int> gRefused{0};

bool admit(size_t size) {
  if (!gWatching.load(std::memory_order_relaxed)) return true;
  size_t seen = gLargest.load(std::memory_order_relaxed);
  while (size > seen && !gLargest.compare_exchange_weak(seen, size)) {
  }
  if (size < gLargeFrom.load(std::memory_order_relaxed)) return true;
  if (gLargeAllowed.fetch_sub(1) > 0) return true;
  gRefused.fetch_add(1);
  return false;
}

void* allocate(size_t size) {
  if (admit(size)) {
    if (void* p = std::malloc(size ? size : 1)) return p;
  }
  throw std::bad_alloc();
}

void* allocateNoThrow(size_t size) noexcept {
  if (!admit(size)) return nullptr;
  return std::malloc(size ? size : 1);
}

}  // namespace

void* operator new(size_t size) { return allocate(size); }
void* operator new[](size_t size) { return allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocateNoThrow(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocateNoThrow(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tarnwick::test {

AllocationWatch::AllocationWatch(size_t largeFrom, int allowLarge) {
  gLargest = 0;
  gRefused = 0;
  gLargeFrom = largeFrom;
  gLargeAllowed = allowLarge;
  gWatching = true;
}

AllocationWatch::~AllocationWatch() {
  gWatching = false;
  gLargeFrom = ~size_t(0);
}

size_t AllocationWatch::largest() const { return gLargest.load(); }
int AllocationWatch::refused() const { return gRefused.load(); }

}  // namespace tarnwick::test
