// Internal to the grain player: the constant-amplitude run per instruction set, chosen at run time.
#pragma once

#include <cstdint>

#include "engine/GrainPlayer.h"

namespace tarnwick::grainkernels {

using GrainRunFn = int32_t (*)(GrainRun& run);

struct GrainKernelSet {
  const char* name;
  GrainRunFn playConstantAmplitude;
};

extern const GrainKernelSet kBaselineGrainKernels;
// Null when this build has no AVX2 kernels or the processor (or OS) cannot run them.
const GrainKernelSet* avx2GrainKernels();
// AVX2 where available, else baseline; both give identical results.
const GrainKernelSet& activeGrainKernels();

}  // namespace tarnwick::grainkernels
