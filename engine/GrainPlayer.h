// Plays one grain's run of samples into the outputs: fade-in, sustain and fade-out as separate
// simple loops so that the compiler can vectorise them, with the same arithmetic per sample.
#pragma once

#include <cstdint>

namespace tarnwick {

struct GrainRun {
  const float* srcL;
  const float* srcR;
  float* outL;  // already offset to the first output sample
  float* outR;
  int32_t count;        // samples to play
  int32_t samplesLeft;  // samples of the grain left including the first one (drives the fade-out)
  float amplitude;      // at the first sample
  float releaseStep;    // amplitude decrease per sample
  float fadeLength;
  int32_t fadeInLeft;  // in/out: fade-in samples still to come
};

// Returns the number of fade-in samples played (the caller marks the playing grain when > 0).
int32_t playGrainRun(GrainRun& run);

// The same, one sample at a time exactly as the gains are defined; the reference for the above.
int32_t playGrainRunPerSample(GrainRun& run);

}  // namespace tarnwick
