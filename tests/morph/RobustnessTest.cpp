// Nothing non-finite ever reaches a morph grain buffer, whatever the recording or spectrum holds;
// and the vectorised sine/cosine agrees with the library's.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "MorphTestSupport.h"
#include "engine/morph/MorphMemory.h"

namespace tarnwick::test {
namespace {

constexpr int kFrames = 20000;
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct Source {
  std::string name;
  std::vector<float> left, right;  // kFrames + 1 samples, the last one the guard
};

Source make(const std::string& name, const std::function<float(int, std::mt19937&)>& sample) {
  std::mt19937 rng(static_cast<unsigned>(name.size()) * 7919u);
  Source s{name, std::vector<float>(kFrames + 1), std::vector<float>(kFrames + 1)};
  for (int n = 0; n < kFrames; ++n) {
    s.left[n] = sample(n, rng);
    s.right[n] = sample(n + 1, rng);
  }
  return s;
}

std::vector<Source> sources() {
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  return {
      make("noise", [&](int, std::mt19937& r) { return unit(r); }),
      make("zeros", [](int, std::mt19937&) { return 0.0f; }),
      make("max", [](int, std::mt19937&) { return FLT_MAX; }),
      make("alternating max", [](int n, std::mt19937&) { return n % 2 ? FLT_MAX : -FLT_MAX; }),
      make("huge random", [&](int, std::mt19937& r) { return 1e38f * unit(r); }),
      make("spike", [](int n, std::mt19937&) { return n == 1500 ? 1e30f : 0.0f; }),
      make("max spike", [](int n, std::mt19937&) { return n % 997 == 0 ? FLT_MAX : 0.0f; }),
      make("denormal", [](int n, std::mt19937&) { return n % 3 ? 1e-40f : -1e-42f; }),
      make("non-finite", [&](int n, std::mt19937& r) { return n % 5 == 0   ? kNan
                                                              : n % 7 == 0 ? -kInf
                                                                           : unit(r); }),
      make("harmonics",
           [](int n, std::mt19937&) {
             double v = 0.0;
             for (int h = 1; h <= 40; ++h) v += std::sin(2.0 * 3.14159265358979 * 220.0 * h * n / 44100.0) / h;
             return static_cast<float>(0.3 * v);
           }),
  };
}

void expectFinite(const MorphState& morph, int g, const std::string& what) {
  const float* grain = morph.grainBuffer(g);
  for (int n = 0; n <= 4096; ++n) ASSERT_TRUE(std::isfinite(grain[n])) << what << " grain " << g << " sample " << n;
}

TEST(MorphRobustness, EveryPairOfRecordingsGivesFiniteGrains) {
  const std::vector<Source> all = sources();
  MorphState morph;
  std::mt19937 rng(5);
  std::uniform_int_distribution<int32_t> position(-100, kFrames - 100);
  std::uniform_int_distribution<int32_t> length(1, 12000);
  for (const Source& a : all) {
    for (const Source& b : all) {
      for (int algorithm = 0; algorithm < 3; ++algorithm) {
        const std::string what = a.name + " / " + b.name + " / algorithm " + std::to_string(algorithm);
        int32_t lengthA = length(rng), lengthB = length(rng);
        morph.analyseEndpoint(a.left.data(), a.right.data(), kFrames + 1, position(rng), lengthA, 0, MorphSlot::kA);
        morph.analyseEndpoint(b.left.data(), b.right.data(), kFrames + 1, position(rng), lengthB, 31, MorphSlot::kB);
        expectFinite(morph, 0, what);
        expectFinite(morph, 31, what);
        morph.morphStep = 1;
        for (int g = 1; g < 31; ++g) {
          morph.synthesiseGrain(g, algorithm, 32.0f);
          expectFinite(morph, g, what);
        }
      }
    }
  }
}

TEST(MorphRobustness, ExtremeSpectraGiveFiniteGrains) {
  MorphState morph;
  float* a = morph.spectrum(MorphSlot::kA);
  float* b = morph.spectrum(MorphSlot::kB);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-40, 38);
  for (int round = 0; round < 20; ++round) {
    for (int k = 0; k < kSpectrum; ++k) {
      // Magnitudes from far below "quiet" to the top of the float range, neighbours unrelated,
      // so that the interpolation gain meets tiny lower bins next to huge upper ones.
      a[k] = unit(rng) * std::pow(10.0f, static_cast<float>(exponent(rng)));
      b[k] = k % 2 ? FLT_MAX * unit(rng) : 1e-18f;
    }
    if (round % 4 == 1) a[100] = kNan, b[200] = kInf, b[2048 + 300] = -kInf;
    if (round % 4 == 2) a[2047] = FLT_MAX, a[4095] = FLT_MAX, b[2048] = kNan;
    morph.findPeakRegions(MorphSlot::kA);
    morph.findPeakRegions(MorphSlot::kB);
    morph.morphStep = 1;
    for (int g = 1; g < 31; ++g) {
      morph.synthesiseGrain(g, round % 3, 32.0f);
      expectFinite(morph, g, "round " + std::to_string(round));
    }
  }
}

TEST(MorphSinCos, AgreesWithTheLibraryToAboutOneUnitInTheLastPlace) {
  std::vector<float> angle;
  for (float x = -7.0f; x <= 7.0f; x += 0.000731f) angle.push_back(x);
  for (float x : {0.0f, -0.0f, 3.1415925f, -3.1415925f, 1.5707963f, 0.7853982f, 100.0f, -517.3f}) angle.push_back(x);
  std::vector<float> s(angle.size()), c(angle.size());
  morphdetail::sinCos(angle.data(), s.data(), c.data(), static_cast<int32_t>(angle.size()));
  double worst = 0.0;
  for (size_t i = 0; i < angle.size(); ++i) {
    worst = std::max(worst, std::abs(s[i] - std::sin(static_cast<double>(angle[i]))));
    worst = std::max(worst, std::abs(c[i] - std::cos(static_cast<double>(angle[i]))));
  }
  EXPECT_LT(worst, 1.5e-7);
  EXPECT_EQ(s[angle.size() - 8], 0.0f);
  EXPECT_EQ(c[angle.size() - 8], 1.0f);
}

}  // namespace
}  // namespace tarnwick::test
