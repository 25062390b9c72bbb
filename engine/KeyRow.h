// One key's row of 32 delays with its grain length, release and fade; 129 of them (keys + master).
#pragma once

#include <cstdint>

#include "engine/Constants.h"

namespace tarnwick {

struct KeyRow {
  float delayValue[kGrainCount];  // normalised 0..1 as the user set it
  float delayTime[kGrainCount];   // units of delayUnit: fader fraction, or beats when quantized
  float unitDura = 0.0f;          // raw parameter 1
  int32_t grainLength = 0;        // samples, derived from unitDura
  float release = 0.0f;
  float envelope = 0.0f;
};

}  // namespace tarnwick
