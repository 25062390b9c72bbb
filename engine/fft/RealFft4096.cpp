// The public 4096-point real transform: forwards to the kernels chosen for this processor.
#include "engine/fft/RealFft4096.h"

#include "engine/fft/FftKernels.h"

namespace tarnwick {

static_assert(RealFft4096::kSize == fftdetail::kRealSize);
static_assert(sizeof(RealFft4096::Scratch::data) == 4 * fftdetail::kComplexSize * sizeof(float));

void RealFft4096::forward(const float* in, float* packedOut, Scratch& scratch) {
  fftdetail::activeKernels().forward(in, packedOut, scratch.data, fftdetail::fftTables());
}

void RealFft4096::inverse(const float* packedIn, float* out, Scratch& scratch) {
  fftdetail::activeKernels().inverse(packedIn, out, scratch.data, fftdetail::fftTables());
}

void RealFft4096::prepare() {
  fftdetail::fftTables();
  fftdetail::activeKernels();
}

const char* RealFft4096::kernelName() { return fftdetail::activeKernels().name; }

}  // namespace tarnwick
