// Builds the transform's twiddle tables once per process and picks the kernels for this processor.
#include "engine/fft/FftKernels.h"

#include <cmath>

namespace tarnwick::fftdetail {

#if defined(TARNWICK_FFT_AVX2)
extern const FftKernelSet kAvx2Kernels;
#endif

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

FftTables buildTables() {
  FftTables t{};
  // Computed in double so that every float entry is the correctly rounded value.
  for (int stage = 0; stage < kRadix4Stages; ++stage) {
    const int m = radix4Groups(stage);
    float* w = t.stageTwiddles + radix4TwiddleOffset(stage);
    for (int j = 1; j <= 3; ++j) {
      float* wr = w + (j - 1) * 2 * m;
      float* wi = wr + m;
      for (int p = 0; p < m; ++p) {
        const double angle = kTwoPi * j * p / (4.0 * m);
        wr[p] = static_cast<float>(std::cos(angle));
        wi[p] = static_cast<float>(-std::sin(angle));
      }
    }
  }
  for (int k = 0; k < kComplexSize / 2; ++k) {
    const double angle = kTwoPi * k / kRealSize;
    t.splitCos[k] = static_cast<float>(std::cos(angle));
    t.splitSin[k] = static_cast<float>(std::sin(angle));
  }
  return t;
}

bool cpuRunsAvx2() {
#if defined(TARNWICK_FFT_AVX2) && (defined(__GNUC__) || defined(__clang__))
  // Also checks that the operating system saves the AVX registers.
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

}  // namespace

const FftTables& fftTables() {
  static const FftTables tables = buildTables();
  return tables;
}

const FftKernelSet* avx2Kernels() {
#if defined(TARNWICK_FFT_AVX2)
  static const bool available = cpuRunsAvx2();
  return available ? &kAvx2Kernels : nullptr;
#else
  return nullptr;
#endif
}

const FftKernelSet& activeKernels() {
  static const FftKernelSet& active = avx2Kernels() ? *avx2Kernels() : kBaselineKernels;
  return active;
}

}  // namespace tarnwick::fftdetail
