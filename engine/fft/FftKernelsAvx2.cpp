// The transform kernels compiled for AVX2 (this file alone gets -mavx2); chosen at run time.
// No FMA: keeping the operations unfused gives results identical to the baseline kernels.
#include "engine/fft/FftKernels.h"

#if defined(TARNWICK_FFT_AVX2)

#define TARNWICK_FFT_KERNEL_NS avx2
#include "engine/fft/FftKernelsBody.inc"

namespace tarnwick::fftdetail {

// Constant-initialised: no code from this file runs unless the processor has AVX2.
extern const FftKernelSet kAvx2Kernels;
const FftKernelSet kAvx2Kernels{"avx2", &avx2::forward, &avx2::inverse};

}  // namespace tarnwick::fftdetail

#endif
