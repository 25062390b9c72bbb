// Helpers for the morph tests: building packed spectra bin by bin and the rotation of a bin value.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <initializer_list>

#include "engine/morph/MorphState.h"

namespace tarnwick::test {

constexpr int kBins = 2048;
constexpr int kSpectrum = 4096;
constexpr double kMorphPi = 3.1415925;  // the morph's own value of pi

using Value = std::complex<double>;  // (re, im) pair of a bin: (S[k], S[2048 + k])

inline void clearSpectrum(float* s) {
  for (int k = 0; k < kSpectrum; ++k) s[k] = 0.0f;
}

inline void setBin(float* s, int k, float re, float im = 0.0f) {
  s[k] = re;
  if (k > 0 && k < kBins) s[kBins + k] = im;
}

inline Value binValue(const float* s, int k) { return {s[k], s[kBins + k]}; }

// Real bin values (magnitude = value) from bin `first` on.
inline void setRun(float* s, int first, std::initializer_list<float> values) {
  int k = first;
  for (float v : values) setBin(s, k++, v);
}

// The same magnitude on every bin of [first, last], with a phase that changes from bin to bin.
inline void setFloor(float* s, int first, int last, float magnitude) {
  for (int k = first; k <= last; ++k) {
    const double phase = 0.7 * k;
    setBin(s, k, static_cast<float>(magnitude * std::cos(phase)), static_cast<float>(magnitude * std::sin(phase)));
  }
}

// A bin value turned by the angle that a shift of `delta` bins stands for: 2 pi delta / 4096.
inline Value turned(Value v, double delta) {
  const double angle = 2.0 * kMorphPi * delta / 4096.0;
  return v * Value(std::cos(angle), std::sin(angle));
}

}  // namespace tarnwick::test
