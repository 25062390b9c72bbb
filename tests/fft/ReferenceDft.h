// Direct double-precision DFT of 4096 real samples in the packed layout, the yardstick for the fast transform.
#pragma once

#include <array>
#include <cmath>
#include <vector>

namespace tarnwick::test {

constexpr int kN = 4096;
constexpr int kHalf = kN / 2;
constexpr double kPi = 3.14159265358979323846;

class ReferenceDft {
 public:
  ReferenceDft() {
    for (int i = 0; i < kN; ++i) {
      cos_[i] = std::cos(2.0 * kPi * i / kN);
      sin_[i] = std::sin(2.0 * kPi * i / kN);
    }
  }

  // S[k] = Re X[k] (k = 0..2048), S[2048 + k] = -Im X[k] = sum x[n] sin(2 pi k n / N) (k = 1..2047).
  std::vector<double> forward(const std::vector<float>& x) const {
    std::vector<double> s(kN, 0.0);
    for (int k = 0; k <= kHalf; ++k) {
      double re = 0.0, negIm = 0.0;
      for (int n = 0; n < kN; ++n) {
        const int phase = (k * n) & (kN - 1);
        re += x[n] * cos_[phase];
        negIm += x[n] * sin_[phase];
      }
      s[k] = re;
      if (k > 0 && k < kHalf) s[kHalf + k] = negIm;
    }
    return s;
  }

  // The real signal whose spectrum is the packed S, including the factor 1/N.
  std::vector<double> inverse(const std::vector<float>& s) const {
    std::vector<double> x(kN, 0.0);
    for (int n = 0; n < kN; ++n) {
      double sum = s[0] + ((n & 1) ? -s[kHalf] : s[kHalf]);
      for (int k = 1; k < kHalf; ++k) {
        const int phase = (k * n) & (kN - 1);
        sum += 2.0 * (s[k] * cos_[phase] + s[kHalf + k] * sin_[phase]);
      }
      x[n] = sum / kN;
    }
    return x;
  }

 private:
  std::array<double, kN> cos_{};
  std::array<double, kN> sin_{};
};

}  // namespace tarnwick::test
