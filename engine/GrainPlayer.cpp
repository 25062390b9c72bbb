// Inner loops of the render: the per-sample reference and the choice of the vectorised kernel.
#include "engine/GrainPlayer.h"

#include "engine/GrainPlayerKernels.h"

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

namespace grainkernels {

#if defined(TARNWICK_GRAIN_AVX2)
extern const GrainKernelSet kAvx2GrainKernels;
#endif

const GrainKernelSet* avx2GrainKernels() {
#if defined(TARNWICK_GRAIN_AVX2) && (defined(__GNUC__) || defined(__clang__))
  // Also checks that the operating system saves the AVX registers.
  static const bool available = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return available ? &kAvx2GrainKernels : nullptr;
#else
  return nullptr;
#endif
}

const GrainKernelSet& activeGrainKernels() {
  static const GrainKernelSet& active = avx2GrainKernels() ? *avx2GrainKernels() : kBaselineGrainKernels;
  return active;
}

}  // namespace grainkernels

namespace {

// Chosen when the library is loaded, so that the render's many runs per block pay no check for it.
const grainkernels::GrainRunFn playConstant = grainkernels::activeGrainKernels().playConstantAmplitude;

}  // namespace

int32_t playGrainRun(GrainRun& run) {
  if (run.count <= 0) return 0;
  // A falling amplitude accumulates per sample; keep that arithmetic exactly.
  if (run.releaseStep != 0.0f || run.fadeInLeft < 0) return playGrainRunPerSample(run);
  return playConstant(run);
}

}  // namespace tarnwick
