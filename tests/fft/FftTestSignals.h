// Test signals shared by the transform tests.
#pragma once

#include "engine/fft/RealFft4096.h"

#include <random>
#include <vector>

namespace tarnwick::test {

// One transform's worth of uniform noise in [-1, 1), the same for the same seed.
inline std::vector<float> noise(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(RealFft4096::kSize);
  for (float& v : x) v = dist(rng);
  return x;
}

}  // namespace tarnwick::test
