// Writes of the internal indices (copy, paste, menus, flood, the editor's notifications) that arrive
// through a format's generic parameter entry rather than from the editor, in order: buttons act on
// the change from one value to the next, so these writes must not coalesce. They take effect on the
// user-interface side at its next operation. A host never automates these indices (it does not know
// them); the lock is held only to copy an entry in or the queue out, and a full queue drops the write.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

namespace tarnwick {

class InternalWriteQueue {
 public:
  struct Write {
    int32_t index;
    float value;
  };
  static constexpr int32_t kCapacity = 1024;

  // [any-thread] False when the queue is full (the write is dropped).
  bool push(int32_t index, float value) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (count_ == kCapacity) return false;
    writes_[count_++] = {index, value};
    return true;
  }

  // [ui-thread] Calls apply(index, value) for every queued write, oldest first.
  template <typename Apply>
  void drain(Apply&& apply) {
    std::array<Write, kCapacity> taken;
    int32_t n;
    {
      std::lock_guard<std::mutex> guard(mutex_);
      n = count_;
      for (int32_t i = 0; i < n; ++i) taken[i] = writes_[i];
      count_ = 0;
    }
    for (int32_t i = 0; i < n; ++i) apply(taken[i].index, taken[i].value);
  }

 private:
  std::mutex mutex_;
  std::array<Write, kCapacity> writes_{};
  int32_t count_ = 0;
};

}  // namespace tarnwick
