// A fixed-capacity single-producer single-consumer ring; never allocates after construction.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tarnwick {

template <typename T, size_t Capacity>
class SpscRing {
  static_assert((Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

 public:
  // [producer] false when full; the item is then dropped by the caller.
  bool push(const T& item) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    items_[tail & (Capacity - 1)] = item;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // [consumer]
  bool pop(T& item) {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    item = items_[head & (Capacity - 1)];
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

  // [consumer] The next item without removing it; false when empty.
  bool peek(T& item) const {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    item = items_[head & (Capacity - 1)];
    return true;
  }

  bool empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

 private:
  T items_[Capacity];
  std::atomic<size_t> head_{0};
  std::atomic<size_t> tail_{0};
};

}  // namespace tarnwick
