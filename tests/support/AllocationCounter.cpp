// The one replacement of the global allocation functions for the tests that count allocations; linking
// any function of AllocationCounter.h pulls it into the test binary.
#include "tests/support/AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gCounting{false};
std::atomic<long> gNews{0};
std::atomic<long> gDeletes{0};
std::atomic<long> gCCalls{0};

bool counting() { return gCounting.load(std::memory_order_relaxed); }

void* counted(std::size_t size) {
  if (counting()) gNews.fetch_add(1);
  return std::malloc(size ? size : 1);
}

void* countedAligned(std::size_t size, std::align_val_t align) {
  if (counting()) gNews.fetch_add(1);
  const std::size_t a = static_cast<std::size_t>(align);
#if defined(_WIN32)
  return _aligned_malloc(size ? size : 1, a);  // Windows' C library has no aligned_alloc
#else
  return std::aligned_alloc(a, (size + a - 1) / a * a);
#endif
}

// Kept out of line so the compiler does not pair a visible new-expression with free().
[[gnu::noinline]] void release(void* p) noexcept {
  if (p && counting()) gDeletes.fetch_add(1);
  std::free(p);
}

#if defined(_WIN32)
[[gnu::noinline]] void releaseAligned(void* p) noexcept {
  if (p && counting()) gDeletes.fetch_add(1);
  _aligned_free(p);
}
#else
[[gnu::noinline]] void releaseAligned(void* p) noexcept { release(p); }
#endif

}  // namespace

void* operator new(std::size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new(std::size_t size, std::align_val_t align) {
  if (void* p = countedAligned(size, align)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return countedAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
  return countedAligned(size, align);
}
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { releaseAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { releaseAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { releaseAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { releaseAligned(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { releaseAligned(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { releaseAligned(p); }

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && defined(__GLIBC__)
// The C allocator too, where no sanitizer owns it (glibc's, which can be replaced by name).
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void __libc_free(void*);
extern "C" void* malloc(size_t n) {
  if (counting()) gCCalls.fetch_add(1);
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t a, size_t b) {
  if (counting()) gCCalls.fetch_add(1);
  return __libc_calloc(a, b);
}
extern "C" void* realloc(void* p, size_t n) {
  if (counting()) gCCalls.fetch_add(1);
  return __libc_realloc(p, n);
}
extern "C" void free(void* p) {
  if (p && counting()) gCCalls.fetch_add(1);
  __libc_free(p);
}
#endif

namespace tarnwick::test {

void countAllocations(bool on) { gCounting.store(on); }

void resetAllocationCounts() {
  gNews.store(0);
  gDeletes.store(0);
  gCCalls.store(0);
}

AllocationCounts allocationCounts() {
  AllocationCounts c;
  c.news = gNews.load();
  c.deletes = gDeletes.load();
  c.cCalls = gCCalls.load();
  return c;
}

long countKnownAllocation() {
  countAllocations(true);
  int* volatile known = new int(5);
  delete known;
  countAllocations(false);
  const long seen = allocationCounts().news;
  resetAllocationCounts();
  return seen;
}

bool countsCAllocator() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  return true;
#else
  return false;
#endif
}

}  // namespace tarnwick::test
