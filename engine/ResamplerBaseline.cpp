// The resampler's filter loops for the baseline instruction set (SSE2 on x86-64).
#include "engine/ResamplerKernels.h"

#define TARNWICK_RESAMPLE_KERNEL_NS baseline
#include "engine/ResamplerBody.inc"

namespace tarnwick::resamplekernels {

const KernelSet kBaselineKernels{"baseline", &baseline::runExact, &baseline::runInterpolated};

}  // namespace tarnwick::resamplekernels
