// Watches the test binary's heap allocations: the largest request, and forced failures.
#pragma once

#include <cstddef>

namespace tarnwick::test {

// Scope that records the largest allocation made while it lives and makes every allocation of
// failFrom bytes or more fail with std::bad_alloc.
class AllocationProbe {
 public:
  explicit AllocationProbe(size_t failFrom = ~size_t(0));
  ~AllocationProbe();
  AllocationProbe(const AllocationProbe&) = delete;
  AllocationProbe& operator=(const AllocationProbe&) = delete;
  size_t largest() const;
};

}  // namespace tarnwick::test
