// Checks the 4096-point real transform against the direct DFT: layout, sign convention, scaling.
#include "engine/fft/RealFft4096.h"
#include "tests/fft/ReferenceDft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace tarnwick::test {
namespace {

using Fft = RealFft4096;

std::vector<float> noise(unsigned seed, float amplitude = 1.0f) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-amplitude, amplitude);
  std::vector<float> x(kN);
  for (float& v : x) v = dist(rng);
  return x;
}

std::vector<float> forward(const std::vector<float>& x) {
  auto scratch = std::make_unique<Fft::Scratch>();
  std::vector<float> s(kN);
  Fft::forward(x.data(), s.data(), *scratch);
  return s;
}

std::vector<float> inverse(const std::vector<float>& s) {
  auto scratch = std::make_unique<Fft::Scratch>();
  std::vector<float> x(kN);
  Fft::inverse(s.data(), x.data(), *scratch);
  return x;
}

double peakOf(const std::vector<double>& v) {
  double peak = 0.0;
  for (double d : v) peak = std::max(peak, std::abs(d));
  return peak;
}

// Largest deviation from the expected values, as a fraction of the expected values' peak.
double relativeError(const std::vector<float>& got, const std::vector<double>& want) {
  double worst = 0.0;
  for (int i = 0; i < kN; ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
  return worst / peakOf(want);
}

std::vector<double> toDouble(const std::vector<float>& v) { return {v.begin(), v.end()}; }

const ReferenceDft& reference() {
  static const ReferenceDft dft;
  return dft;
}

TEST(RealFft4096, NoiseMatchesDirectDft) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const auto x = noise(seed);
    EXPECT_LT(relativeError(forward(x), reference().forward(x)), 1e-4) << "seed " << seed;
  }
}

TEST(RealFft4096, CosineAndSineLandInRealAndNegatedImaginaryHalves) {
  // cos at bin 5 gives Re X[5] = N/2; sin at bin 7 gives Im X[7] = -N/2, stored negated as +N/2.
  std::vector<float> x(kN);
  for (int n = 0; n < kN; ++n)
    x[n] = static_cast<float>(std::cos(2.0 * kPi * 5 * n / kN) + 0.5 * std::sin(2.0 * kPi * 7 * n / kN));
  const auto s = forward(x);
  std::vector<double> want(kN, 0.0);
  want[5] = kHalf;
  want[kHalf + 7] = 0.5 * kHalf;
  EXPECT_LT(relativeError(s, want), 1e-4);
  EXPECT_NEAR(s[kHalf + 7], 1024.0, 0.1);
  EXPECT_NEAR(s[7], 0.0, 0.1);
  EXPECT_NEAR(s[kHalf + 5], 0.0, 0.1);

  // Same signal shifted into the upper half of the bins (k = 2048 - 3 and 2048 - 9).
  for (int n = 0; n < kN; ++n)
    x[n] = static_cast<float>(std::cos(2.0 * kPi * (kHalf - 3) * n / kN) - std::sin(2.0 * kPi * (kHalf - 9) * n / kN));
  EXPECT_LT(relativeError(forward(x), reference().forward(x)), 1e-4);
  const auto upper = forward(x);
  EXPECT_NEAR(upper[kHalf - 3], kHalf, 0.1);
  EXPECT_NEAR(upper[kN - 9], -kHalf, 0.1);
}

TEST(RealFft4096, ImpulsesGiveFlatAndRotatingSpectra) {
  std::vector<float> x(kN, 0.0f);
  x[0] = 1.0f;
  auto s = forward(x);
  for (int k = 0; k <= kHalf; ++k) ASSERT_NEAR(s[k], 1.0, 1e-6) << "bin " << k;
  for (int k = 1; k < kHalf; ++k) ASSERT_NEAR(s[kHalf + k], 0.0, 1e-6) << "bin " << k;

  // A delay of one sample: X[k] = exp(-2 pi i k / N), so -Im X[k] = sin(2 pi k / N).
  x[0] = 0.0f;
  x[1] = 1.0f;
  s = forward(x);
  EXPECT_LT(relativeError(s, reference().forward(x)), 1e-4);
  EXPECT_NEAR(s[kHalf + 1024], 1.0, 1e-6);
  EXPECT_NEAR(s[kHalf], -1.0, 1e-6);  // Nyquist: (-1)^1

  x[1] = 0.0f;
  x[kN - 1] = 3.0f;
  EXPECT_LT(relativeError(forward(x), reference().forward(x)), 1e-4);
}

TEST(RealFft4096, DcAndNyquistOccupyTheirOwnSlots) {
  std::vector<float> dc(kN, 0.25f);
  std::vector<double> want(kN, 0.0);
  want[0] = 0.25 * kN;
  EXPECT_LT(relativeError(forward(dc), want), 1e-6);

  std::vector<float> nyquist(kN);
  for (int n = 0; n < kN; ++n) nyquist[n] = (n & 1) ? -2.0f : 2.0f;
  want[0] = 0.0;
  want[kHalf] = 2.0 * kN;
  EXPECT_LT(relativeError(forward(nyquist), want), 1e-6);

  // Both together must not leak into each other through the shared pairing of bins 0 and 2048.
  std::vector<float> both(kN);
  for (int n = 0; n < kN; ++n) both[n] = dc[n] + nyquist[n];
  want[0] = 0.25 * kN;
  EXPECT_LT(relativeError(forward(both), want), 1e-6);
  EXPECT_LT(relativeError(inverse(forward(both)), toDouble(both)), 1e-6);
}

TEST(RealFft4096, ForwardThenInverseReturnsTheInput) {
  for (unsigned seed : {4u, 5u}) {
    const auto x = noise(seed, 0.8f);
    EXPECT_LT(relativeError(inverse(forward(x)), toDouble(x)), 1e-5) << "seed " << seed;
  }
  // Large and small magnitudes alike: the scaling is exact, not relative to some fixed level.
  const auto loud = noise(6, 3.0e4f);
  EXPECT_LT(relativeError(inverse(forward(loud)), toDouble(loud)), 1e-5);
  const auto quiet = noise(7, 1.0e-3f);
  EXPECT_LT(relativeError(inverse(forward(quiet)), toDouble(quiet)), 1e-5);
}

TEST(RealFft4096, InverseOfConstructedSpectrum) {
  // S[0] = N: constant 1; S[2048] = N/2: 0.5 (-1)^n; S[3] = N/2: cos(3 t); S[2048 + 10] = N: 2 sin(10 t).
  std::vector<float> s(kN, 0.0f);
  s[0] = kN;
  s[kHalf] = kN / 2;
  s[3] = kHalf;
  s[kHalf + 10] = kN;
  const auto x = inverse(s);
  std::vector<double> want(kN);
  for (int n = 0; n < kN; ++n) {
    const double t = 2.0 * kPi * n / kN;
    want[n] = 1.0 + ((n & 1) ? -0.5 : 0.5) + std::cos(3 * t) + 2.0 * std::sin(10 * t);
  }
  EXPECT_LT(relativeError(x, want), 1e-5);
}

TEST(RealFft4096, InverseOfArbitrarySpectrumMatchesDirectSum) {
  const auto s = noise(8, 100.0f);
  EXPECT_LT(relativeError(inverse(s), reference().inverse(s)), 1e-5);
}

TEST(RealFft4096, InPlaceGivesTheSameResult) {
  const auto x = noise(9);
  auto data = x;
  auto scratch = std::make_unique<Fft::Scratch>();
  Fft::forward(data.data(), data.data(), *scratch);
  EXPECT_EQ(data, forward(x));
  const auto spectrum = data;
  Fft::inverse(data.data(), data.data(), *scratch);
  EXPECT_EQ(data, inverse(spectrum));
}

}  // namespace
}  // namespace tarnwick::test
