// Counts the test binary's heap traffic while a test asks for it (replaces the global allocation functions).
#pragma once

namespace tarnwick::test {

struct AllocationCounts {
  long news = 0;     // operator new, every form
  long deletes = 0;  // operator delete of a non-null pointer, every form
  long cCalls = 0;   // malloc, calloc, realloc and free of a non-null pointer; always 0 under ASan/TSan and on Windows
};

// Counting adds up across on/off switches until resetAllocationCounts().
void countAllocations(bool on);
void resetAllocationCounts();
AllocationCounts allocationCounts();

// Counts one new-expression that surely allocates, then resets the counts and returns what operator new saw:
// a test asserts that this is at least 1 before it trusts a count of 0.
long countKnownAllocation();

// False where a sanitizer owns the C allocator, so malloc and friends are not counted.
bool countsCAllocator();

}  // namespace tarnwick::test
