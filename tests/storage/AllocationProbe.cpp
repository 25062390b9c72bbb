// Replaces the global allocation functions of the test binary so that tests can watch them.
#include "tests/storage/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> watching{false};
std::atomic<size_t> largestRequest{0};
std::atomic<size_t> failThreshold{~size_t(0)};

void* allocate(size_t size) {
  if (watching.load(std::memory_order_relaxed)) {
    size_t seen = largestRequest.load(std::memory_order_relaxed);
    while (size > seen && !largestRequest.compare_exchange_weak(seen, size)) {
    }
    if (size >= failThreshold.load(std::memory_order_relaxed)) throw std::bad_alloc();
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* allocateNoThrow(size_t size) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
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

AllocationProbe::AllocationProbe(size_t failFrom) {
  largestRequest = 0;
  failThreshold = failFrom;
  watching = true;
}

AllocationProbe::~AllocationProbe() {
  watching = false;
  failThreshold = ~size_t(0);
}

size_t AllocationProbe::largest() const { return largestRequest.load(); }

}  // namespace tarnwick::test
