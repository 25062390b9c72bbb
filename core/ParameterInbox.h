// Parameter writes from a caller whose thread is unknown (a VST 2.4 host's setParameter may come from
// its user-interface thread, its audio thread or another): the newest value of each index in an atomic,
// and a dirty bit per index for each side. Each side drains its own bits at the start of its next
// operation (the audio side at block start, the user-interface side at its next operation), so a write
// reaches both engines and nothing grows however fast a host automates. Writes coalesce: a side sees
// the last value written since it last looked. [any-thread] unless marked.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/ParameterTable.h"

namespace tarnwick {

class ParameterInbox {
 public:
  enum Side : uint32_t { kAudioSide = 0, kUserInterfaceSide = 1 };

  ParameterInbox() {
    for (auto& v : values_) v.store(0.0f, std::memory_order_relaxed);
    for (auto& side : dirty_)
      for (auto& word : side) word.store(0, std::memory_order_relaxed);
  }

  // [any-thread] Stores the value and marks it for both sides; indices outside the host's range are refused.
  bool post(int32_t index, float value) {
    if (index < 0 || index >= kHostParamCount) return false;
    values_[index].store(value, std::memory_order_relaxed);
    const uint64_t bit = uint64_t{1} << (index % 64);
    // Release: a side that sees the bit sees the value.
    for (auto& side : dirty_) side[index / 64].fetch_or(bit, std::memory_order_release);
    return true;
  }

  // Calls apply(index, value) for every index written since this side last drained, lowest first.
  template <typename Apply>
  void drain(Side side, Apply&& apply) {
    for (int32_t w = 0; w < kWords; ++w) {
      uint64_t bits = dirty_[side][w].exchange(0, std::memory_order_acquire);
      while (bits != 0) {
        const int32_t index = w * 64 + __builtin_ctzll(bits);
        bits &= bits - 1;
        apply(index, values_[index].load(std::memory_order_relaxed));
      }
    }
  }

  bool pending(Side side) const {
    for (const auto& word : dirty_[side])
      if (word.load(std::memory_order_relaxed) != 0) return true;
    return false;
  }

 private:
  static constexpr int32_t kWords = (kHostParamCount + 63) / 64;
  std::array<std::atomic<float>, kHostParamCount> values_;
  std::array<std::array<std::atomic<uint64_t>, kWords>, 2> dirty_;
};

}  // namespace tarnwick
