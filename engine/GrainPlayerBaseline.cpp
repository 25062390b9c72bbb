// The constant-amplitude grain run for the baseline instruction set (SSE2 on x86-64).
#include "engine/GrainPlayerKernels.h"

#define TARNWICK_GRAIN_KERNEL_NS baseline
#include "engine/GrainPlayerBody.inc"

namespace tarnwick::grainkernels {

const GrainKernelSet kBaselineGrainKernels{"baseline", &baseline::playConstantAmplitude};

}  // namespace tarnwick::grainkernels
