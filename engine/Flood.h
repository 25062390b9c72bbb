// The flooded buffer: one key's slice spread over the keyboard, a semitone per key.
#pragma once

#include "engine/AudioBuffer.h"
#include "engine/Engine.h"

namespace tarnwick {

// Builds the flooded arrays (frameCount + 1 samples each, zero guard). Every read and write is
// clipped to the buffer. Returns empty arrays when memory cannot be had.
ChannelPair buildFlood(const FloodPlan& plan);

}  // namespace tarnwick
