// The fifteen delay steps of the range quantized to tempo, and the grain-length steps.
#pragma once

#include <cstdint>

namespace tarnwick {

constexpr int kTempoStepCount = 15;

// Beats per step, used exactly as written (step 1 is 1/48 although it reads "1/24 ").
constexpr float kTempoStepBeats[kTempoStepCount] = {0.0f,       0.0208333f, 0.0625f,    0.0833333f, 0.125f,
                                                    0.1666667f, 0.25f,      0.3333333f, 0.5f,       0.6666667f,
                                                    1.0f,       1.3333334f, 2.0f,       2.6666667f, 4.0f};

// Quantizes a delay value to its step 0..14 (values outside 0..1 clamp to the table).
inline int32_t tempoStepOf(float v) {
  const float scaled = 14.0f * v;
  if (!(scaled >= 0.0f)) return 0;
  if (scaled >= 14.0f) return 14;
  return static_cast<int32_t>(scaled);
}

// Beats of the grain-length steps 1..7; step 0 is the key's slice, step 8 the whole buffer.
constexpr float kGrainStepBeats[9] = {0.0f, 0.0625f, 0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 0.0f};

}  // namespace tarnwick
