// Per-key playback state: the key state, its gain and the schedule of its 32 grains.
#pragma once

#include <cstdint>

#include "engine/Constants.h"

namespace tarnwick {

enum KeyState : uint8_t { kIdle = 0, kHeld = 2, kReleased = 4 };

struct GrainSchedule {
  int32_t countdown[kGrainCount + 1];  // samples until the grain starts, -1 inactive; [32] is the loop
  int32_t remaining[kGrainCount];
  int32_t readPos[kGrainCount];
  int32_t fadeInLeft[kGrainCount];
  float fadeLength[kGrainCount];

  int32_t& loopCountdown() { return countdown[kGrainCount]; }
  int32_t loopCountdown() const { return countdown[kGrainCount]; }
};

struct Voice {
  uint8_t keyState = kIdle;
  int32_t velocity = 0;
  float amplitude = 0.0f;
  float releaseStep = 0.0f;
  int32_t loopMark = 0;
  GrainSchedule schedule{};
};

}  // namespace tarnwick
