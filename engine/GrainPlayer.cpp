// Inner loops of the render.
#include "engine/GrainPlayer.h"

#include <algorithm>

namespace tarnwick {

int32_t playGrainRunPerSample(GrainRun& run) {
  int32_t fadeIns = 0;
  float a = run.amplitude;
  int32_t c = run.samplesLeft;
  for (int32_t i = 0; i < run.count; ++i) {
    float gain;
    if (run.fadeInLeft != 0) {
      ++fadeIns;
      --run.fadeInLeft;
      gain = 1.0f - static_cast<float>(run.fadeInLeft) / run.fadeLength;
    } else if (run.fadeLength > static_cast<float>(c)) {
      gain = static_cast<float>(c) / run.fadeLength;
    } else {
      gain = 1.0f;
    }
    --c;
    run.outL[i] += run.srcL[i] * a * gain;
    run.outR[i] += run.srcR[i] * a * gain;
    a -= run.releaseStep;
  }
  return fadeIns;
}

namespace {

// With a constant amplitude the three runs need no state between samples.
int32_t playConstantAmplitude(GrainRun& run) {
  const float* __restrict sl = run.srcL;
  const float* __restrict sr = run.srcR;
  float* __restrict ol = run.outL;
  float* __restrict orr = run.outR;
  const float a = run.amplitude;
  const float fl = run.fadeLength;
  const int32_t n = run.count;
  const int32_t c0 = run.samplesLeft;

  int32_t i = 0;
  const int32_t fadeIns = run.fadeInLeft > 0 ? std::min(run.fadeInLeft, n) : 0;
  if (fadeIns > 0) {
    const int32_t fi0 = run.fadeInLeft;
    for (; i < fadeIns; ++i) {
      const float gain = 1.0f - static_cast<float>(fi0 - 1 - i) / fl;
      ol[i] += sl[i] * a * gain;
      orr[i] += sr[i] * a * gain;
    }
    run.fadeInLeft = fi0 - fadeIns;
    if (run.fadeInLeft != 0) return fadeIns;
  }

  // Sustain while the samples left (c0 - i) are not below the fade length.
  int32_t sustainEnd = i;
  {
    int32_t lo = i, hi = n;  // first index in [i, n) where fl > c0 - index
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      if (fl > static_cast<float>(c0 - mid))
        hi = mid;
      else
        lo = mid + 1;
    }
    sustainEnd = lo;
  }
  for (; i < sustainEnd; ++i) {
    ol[i] += sl[i] * a;
    orr[i] += sr[i] * a;
  }
  for (; i < n; ++i) {
    const float gain = static_cast<float>(c0 - i) / fl;
    ol[i] += sl[i] * a * gain;
    orr[i] += sr[i] * a * gain;
  }
  return fadeIns;
}

}  // namespace

int32_t playGrainRun(GrainRun& run) {
  if (run.count <= 0) return 0;
  // A falling amplitude accumulates per sample; keep that arithmetic exactly.
  if (run.releaseStep != 0.0f || run.fadeInLeft < 0) return playGrainRunPerSample(run);
  return playConstantAmplitude(run);
}

}  // namespace tarnwick
