// The constant-amplitude grain run compiled for AVX2 (this file alone gets -mavx2); chosen at run time.
// No FMA: keeping the operations unfused gives results identical to the baseline kernel.
#include "engine/GrainPlayerKernels.h"

#if defined(TARNWICK_GRAIN_AVX2)

#define TARNWICK_GRAIN_KERNEL_NS avx2
#include "engine/GrainPlayerBody.inc"

namespace tarnwick::grainkernels {

// Constant-initialised: no code from this file runs unless the processor has AVX2.
extern const GrainKernelSet kAvx2GrainKernels;
const GrainKernelSet kAvx2GrainKernels{"avx2", &avx2::playConstantAmplitude};

}  // namespace tarnwick::grainkernels

#endif
