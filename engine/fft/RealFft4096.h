// 4096-point real transform with the packed spectrum layout that the spectral morph works on.
#pragma once

namespace tarnwick {

// Packed spectrum of 4096 real samples x[n], with X[k] = sum x[n] e^(-2 pi i k n / 4096):
//   S[k]        =  Re X[k]   for k = 0 .. 2048   (S[0] is DC, S[2048] is Nyquist)
//   S[2048 + k] = -Im X[k]   for k = 1 .. 2047   (the correlation with sin(2 pi k n / 4096))
// inverse() undoes forward() exactly up to rounding: it includes the factor 1/4096.
//
// The tables are built once per process on first use (thread-safe) and are read-only afterwards.
// All working memory is the caller's Scratch, so instances on different threads never share it.
// Neither call allocates. `in` and `out` may be the same array.
class RealFft4096 {
 public:
  static constexpr int kSize = 4096;
  static constexpr int kHalfSize = kSize / 2;

  struct Scratch {
    alignas(64) float data[2 * kSize];  // two split-complex buffers of 2048 points
  };

  // [any-thread]
  static void forward(const float* in, float* packedOut, Scratch& scratch);
  // [any-thread]
  static void inverse(const float* packedIn, float* out, Scratch& scratch);

  // Builds the tables now instead of on the first transform (e.g. on the UI thread at load time).
  static void prepare();
  // Name of the kernel chosen for this processor ("avx2" or "baseline").
  static const char* kernelName();
};

}  // namespace tarnwick
