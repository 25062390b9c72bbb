// The transform kernels for the baseline instruction set (SSE2 on x86-64), used on every processor.
#include "engine/fft/FftKernels.h"

#define TARNWICK_FFT_KERNEL_NS baseline
#include "engine/fft/FftKernelsBody.inc"

namespace tarnwick::fftdetail {

const FftKernelSet kBaselineKernels{"baseline", &baseline::forward, &baseline::inverse};

}  // namespace tarnwick::fftdetail
