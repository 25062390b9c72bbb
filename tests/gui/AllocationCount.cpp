// Replaces the global allocation functions of the toolkit test binary so that a test can count them.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> gWatching{false};
std::atomic<int> gCount{0};

void* allocate(size_t size) {
  if (gWatching.load(std::memory_order_relaxed)) gCount.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

void* allocateOrThrow(size_t size) {
  if (void* p = allocate(size)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) { return allocateOrThrow(size); }
void* operator new[](size_t size) { return allocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace tarnwick::gui::test {

void watchAllocations(bool on) {
  if (on) gCount = 0;
  gWatching = on;
}

int allocationCount() { return gCount.load(); }

}  // namespace tarnwick::gui::test
