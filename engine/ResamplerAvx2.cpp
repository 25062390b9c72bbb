// The resampler's filter loops compiled for AVX2 with FMA (this file alone gets -mavx2 -mfma);
// chosen at run time.
#include "engine/ResamplerKernels.h"

#if defined(TARNWICK_RESAMPLE_AVX2)

#define TARNWICK_RESAMPLE_KERNEL_NS avx2
#include "engine/ResamplerBody.inc"

namespace tarnwick::resamplekernels {

// Constant-initialised: no code from this file runs unless the processor has AVX2 and FMA.
extern const KernelSet kAvx2Kernels;
const KernelSet kAvx2Kernels{"avx2", &avx2::runExact, &avx2::runInterpolated};

}  // namespace tarnwick::resamplekernels

#endif
