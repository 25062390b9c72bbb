// The section synthesisers of the default recording and the small DSP helpers they share.
#pragma once

#include <cmath>

#include "tools/gen/Prng.h"
#include "tools/gen/Recording.h"

namespace tarnwick::gen {

// The sections' sample rate as a double, for the time arithmetic.
inline constexpr double kRate = kRecordingSampleRate;

inline constexpr double kTwoPi = 6.283185307179586476925;

inline double midiToHz(double key) { return 440.0 * std::pow(2.0, (key - 69.0) / 12.0); }

// Trapezoidal state-variable filter; stable while its cutoff moves every sample.
class Svf {
 public:
  void set(double cutoffHz, double q, double sampleRate) {
    g_ = std::tan(kTwoPi * 0.5 * cutoffHz / sampleRate);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g_ * (g_ + k_));
  }
  struct Out {
    double low, band, high;
  };
  Out tick(double x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + g_ * a1_ * v3;
    const double v2 = ic2_ + g_ * v1;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {v2, v1, x - k_ * v1 - v2};
  }

 private:
  double g_ = 0.0, k_ = 1.0, a1_ = 1.0, ic1_ = 0.0, ic2_ = 0.0;
};

// Each renders one section of the given length; levels are normalised afterwards.
StereoBuffer renderBells(int frames, Prng& rng);
StereoBuffer renderChord(int frames);
StereoBuffer renderVowels(int frames, Prng& rng);
StereoBuffer renderNoise(int frames, Prng& rng);
StereoBuffer renderPercussion(int frames, Prng& rng);

}  // namespace tarnwick::gen
