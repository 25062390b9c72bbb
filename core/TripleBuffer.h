// Three preallocated slots through which one thread hands the latest version of a large value to
// another without either of them ever waiting: the writer fills its own slot and swaps it in, the
// reader swaps the newest one out; a version the reader never took is simply overwritten.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace tarnwick {

template <typename T>
class TripleBuffer {
 public:
  TripleBuffer() : slots_(std::make_unique<T[]>(3)) {}

  // [writer] The slot the writer fills; it stays the writer's until publish().
  T& back() { return slots_[back_]; }
  // [writer] Makes the back slot the newest version.
  void publish() { back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndexMask; }

  // [reader] Takes the newest version if one was published since the last take; false otherwise.
  bool take() {
    if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0) return false;
    front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndexMask;
    return true;
  }
  // [reader] The version last taken.
  const T& front() const { return slots_[front_]; }

 private:
  static constexpr uint8_t kFresh = 4;
  static constexpr uint8_t kIndexMask = 3;

  std::unique_ptr<T[]> slots_;
  uint8_t back_ = 0;                // writer's slot
  std::atomic<uint8_t> middle_{1};  // the slot in between, with kFresh when it holds a new version
  uint8_t front_ = 2;               // reader's slot
};

}  // namespace tarnwick
