// Internal to the 4096-point transform: shared tables and the per-instruction-set kernel entry points.
#pragma once

namespace tarnwick::fftdetail {

constexpr int kRealSize = 4096;
constexpr int kComplexSize = 2048;          // the real transform runs as one complex transform of this size
constexpr int kQuarter = kComplexSize / 4;  // distance between the four inputs of every radix-4 butterfly
constexpr int kRadix4Stages = 5;            // 2048 = 4^5 * 2: five radix-4 passes and one radix-2 pass

// Butterflies per group in radix-4 stage t, and where that stage's twiddles start.
constexpr int radix4Groups(int stage) { return kQuarter >> (2 * stage); }
constexpr int radix4TwiddleOffset(int stage) {
  int offset = 0;
  for (int t = 0; t < stage; ++t) offset += 6 * radix4Groups(t);
  return offset;
}

struct FftTables {
  // Stage-major; for stage t with m = radix4Groups(t): w1 re[m], w1 im[m], w2 re[m], w2 im[m],
  // w3 re[m], w3 im[m], where wj = exp(-2 pi i j p / (4 m)) for p = 0 .. m-1.
  alignas(64) float stageTwiddles[radix4TwiddleOffset(kRadix4Stages)];
  // cos and sin of 2 pi k / 4096 for k = 0 .. 1023, to split the complex result into the real spectrum.
  alignas(64) float splitCos[kComplexSize / 2];
  alignas(64) float splitSin[kComplexSize / 2];
};

// Built on first call; read-only afterwards.
const FftTables& fftTables();

// scratch: 4 * 2048 floats, 64-byte aligned.
using TransformFn = void (*)(const float* in, float* out, float* scratch, const FftTables& tables);

struct FftKernelSet {
  const char* name;
  TransformFn forward;
  TransformFn inverse;
};

extern const FftKernelSet kBaselineKernels;
// Null when this build has no AVX2 kernels or the processor (or OS) cannot run them.
const FftKernelSet* avx2Kernels();
// The kernels that RealFft4096 uses: AVX2 where available, else baseline. Both give identical results.
const FftKernelSet& activeKernels();

}  // namespace tarnwick::fftdetail
