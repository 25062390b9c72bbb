// Watches a test binary's heap: the largest request, and allocations made to fail.
#pragma once

#include <cstddef>

namespace tarnwick::test {

// While it lives: records the largest request, and lets the first `allowLarge` requests of
// `largeFrom` bytes or more through and fails every later one (std::bad_alloc, or nullptr for the
// nothrow forms).
class AllocationWatch {
 public:
  explicit AllocationWatch(size_t largeFrom = ~size_t(0), int allowLarge = 0);
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;
  size_t largest() const;
  int refused() const;
};

}  // namespace tarnwick::test
