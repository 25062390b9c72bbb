// The flooded buffer: one key's slice spread over the keyboard, a semitone per key.
#pragma once

#include <cstdint>

#include "engine/AudioBuffer.h"

namespace tarnwick {

// What a flood is built from.
struct FloodPlan {
  const float* sourceLeft = nullptr;  // the stored recording, frameCount + 1 samples
  const float* sourceRight = nullptr;
  int32_t frameCount = 0;
  int32_t keyCount = 1;
  int32_t sourceStart = 0;
  int32_t grainLength = 0;
};

// Builds the flooded arrays (frameCount + 1 samples each, zero guard). Every read and write is
// clipped to the buffer. Returns empty arrays when memory cannot be had.
ChannelPair buildFlood(const FloodPlan& plan);

}  // namespace tarnwick
