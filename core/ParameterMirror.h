// The value of every index as getParameter reads it, in atomics: what a host reads on its audio
// thread, where neither side's state may be touched. Both sides write it, and so do posted writes.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/EngineState.h"
#include "engine/ParameterTable.h"

namespace tarnwick {

class ParameterMirror {
 public:
  ParameterMirror() {
    for (auto& v : values_) v.store(0.0f, std::memory_order_relaxed);
  }
  // [any-thread]
  float read(int32_t index) const {
    return index >= 0 && index < kIndexCount ? values_[index].load(std::memory_order_relaxed) : 0.0f;
  }
  // [any-thread] Stores one value: a write posted from a thread the caller cannot name, shown at once.
  void store(int32_t index, float v) {
    if (index >= 0 && index < kIndexCount) values_[index].store(v, std::memory_order_relaxed);
  }
  // [ui-thread] Stores the values of now that differ from those of before: only what the operation
  // changed, so that a model that has not taken the audio side's latest state yet overwrites nothing.
  void publishChanges(const EngineState& before, const EngineState& now) {
    for (int32_t i = 0; i < kIndexCount; ++i) {
      const float v = storedParameter(now, i);
      if (v != storedParameter(before, i)) values_[i].store(v, std::memory_order_relaxed);
    }
  }
  // [audio-thread] Stores every value of now that differs from what the mirror shows: the audio side's state,
  // once it has taken everything shipped, is the newest there is.
  void publishAll(const EngineState& now) {
    for (int32_t i = 0; i < kIndexCount; ++i) {
      const float v = storedParameter(now, i);
      if (v != values_[i].load(std::memory_order_relaxed)) values_[i].store(v, std::memory_order_relaxed);
    }
  }

 private:
  std::atomic<float> values_[kIndexCount];
};

}  // namespace tarnwick
