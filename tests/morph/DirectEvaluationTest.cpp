// Middle grains against a slow, literal evaluation of the pairing formulas (positions, targets and
// angles formed in float, everything else in double): every output value must stay within
// single-precision rounding of it, whatever kernel, material, algorithm or grain order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "MorphTestSupport.h"
#include "engine/morph/MorphMemory.h"

namespace tarnwick::test {
namespace {

// Deviation allowed, relative to the summed magnitudes of everything added into the same value: a
// few float roundings of each contribution and of the rotation angles.
constexpr double kTolerance = 2e-6;

struct Direct {
  std::vector<double> out = std::vector<double>(kSpectrum);
  std::vector<double> scale = std::vector<double>(kSpectrum);  // per value: sum of |contributions|
};

Value valueAt(const float* s, const float* mag, float p) {
  const int i = static_cast<int>(p);
  const float f = p - static_cast<float>(i);
  if (f == 0.0f) return binValue(s, i);
  if (mag[i] == 0.0f) return {};  // no direction to scale: nothing
  const double gain = ((1.0 - f) * mag[i] + static_cast<double>(f) * mag[i + 1]) / mag[i];
  const float angle = static_cast<float>(kMorphPi) * f;
  return gain * binValue(s, i) * Value(std::cos(angle), std::sin(angle));
}

Value turnedBy(Value v, float delta) {
  const float angle = 2.0f * static_cast<float>(kMorphPi) * delta / 4096.0f;
  return v * Value(std::cos(angle), std::sin(angle));
}

void addPair(const MorphState& m, int sA, int wA, int sB, int wB, float e, float d, Direct& r) {
  const float* a = m.spectrum(MorphSlot::kA);
  const float* b = m.spectrum(MorphSlot::kB);
  const float stretchA = wA < wB ? (wA == 1 ? 0.0f : static_cast<float>(wA - 1) / static_cast<float>(wB - 1)) : 1.0f;
  const float stretchB = wB < wA ? (wB == 1 ? 0.0f : static_cast<float>(wB - 1) / static_cast<float>(wA - 1)) : 1.0f;
  for (int step = 0; step < std::max(wA, wB); ++step) {
    const float pA = static_cast<float>(sA) + static_cast<float>(step) * stretchA;
    const float pB = static_cast<float>(sB) + static_cast<float>(step) * stretchB;
    float tau = e * pA + d * pB;
    if (tau >= 2047.0f) tau -= 1.0f;
    const Value va = turnedBy(valueAt(a, m.magnitudes(MorphSlot::kA), pA), tau - pA);
    const Value vb = turnedBy(valueAt(b, m.magnitudes(MorphSlot::kB), pB), tau - pB);
    const Value v = static_cast<double>(e) * va + static_cast<double>(d) * vb;
    const double size = e * std::abs(va) + d * std::abs(vb);
    const int t = static_cast<int>(tau);
    const double phi = tau - static_cast<float>(t);
    for (const auto& [bin, share] : {std::pair{t, 1.0 - phi}, std::pair{t + 1, phi}}) {
      r.out[bin] += share * v.real();
      r.out[kBins + bin] += share * v.imag();
      r.scale[bin] += share * size;
      r.scale[kBins + bin] += share * size;
    }
  }
}

// synthesiseGrain's spectrum for weight step / (count - 1), from the formulas alone.
Direct directGrain(const MorphState& m, int algorithm, int count, int step) {
  const float d = static_cast<float>(step) / static_cast<float>(count - 1), e = 1.0f - d;
  const PeakRegionList& ra = m.regions(MorphSlot::kA);
  const PeakRegionList& rb = m.regions(MorphSlot::kB);
  Direct r;
  r.out[0] = e * m.spectrum(MorphSlot::kA)[0] + d * m.spectrum(MorphSlot::kB)[0];
  float stepA = 1.0f, stepB = 1.0f, accA = 0.0f, accB = 0.0f;
  if (algorithm == 2)
    (ra.count > rb.count ? stepB : stepA) =
        static_cast<float>(std::min(ra.count, rb.count)) / static_cast<float>(std::max(ra.count, rb.count));
  int a = 0, b = 0;
  while (a < ra.count && b < rb.count) {
    addPair(m, ra.start[a], ra.width[a], rb.start[b], rb.width[b], e, d, r);
    a = static_cast<int>(accA += stepA);
    b = static_cast<int>(accB += stepB);
  }
  if (ra.count != rb.count && algorithm != 2) {
    const bool restOfB = a >= ra.count;
    const float* s = m.spectrum(restOfB ? MorphSlot::kB : MorphSlot::kA);
    const double weight = algorithm == 1 ? 1.0 : restOfB ? d : e;
    for (int k = restOfB ? rb.start[b] : ra.start[a]; k < kBins; ++k) {
      for (int slot : {k, kBins + k}) {
        r.out[slot] += weight * s[slot];
        r.scale[slot] += std::abs(weight * s[slot]);
      }
    }
  }
  return r;
}

// Largest deviation of the morph's last spectrum from the direct one, relative to the scale;
// values that nothing reaches must be exactly 0.
double deviation(const MorphState& m, const Direct& want) {
  double worst = 0.0;
  for (int k = 1; k < kSpectrum; ++k) {
    if (k == kBins) continue;  // Nyquist, checked below
    const double diff = std::abs(m.spectrumOut()[k] - want.out[k]);
    if (want.scale[k] == 0.0) {
      EXPECT_EQ(diff, 0.0) << "value " << k;
      continue;
    }
    worst = std::max(worst, diff / want.scale[k]);
  }
  EXPECT_EQ(m.spectrumOut()[kBins], 0.0f);
  EXPECT_NEAR(m.spectrumOut()[0], want.out[0], 1e-6 * std::abs(want.out[0]));
  return worst;
}

// Two endpoints of a recording: noise over two tones (nearly every bin loud), or 30 partials.
void analyseRecording(MorphState& m, bool broadband, unsigned seed) {
  constexpr int kFrames = 20000;
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.1);
  std::vector<float> left(kFrames + 1), right(kFrames + 1);
  for (int n = 0; n < kFrames; ++n) {
    const double f = n < kFrames / 2 ? 440.0 : 660.0, w = 2.0 * 3.14159265358979 * n / 44100.0;
    double v = 0.4 * std::sin(f * w);
    if (!broadband)
      for (int h = 2; h <= 30; ++h) v += std::sin(h * f * w * 0.5 + h) / h;
    left[n] = static_cast<float>(v + (broadband ? noise(rng) : 0.001 * noise(rng)));
    right[n] = static_cast<float>(v + (broadband ? noise(rng) : 0.001 * noise(rng)));
  }
  int32_t lengthA = 5000, lengthB = 4096;
  m.analyseEndpoint(left.data(), right.data(), kFrames + 1, 1000, lengthA, 0, MorphSlot::kA);
  m.analyseEndpoint(left.data(), right.data(), kFrames + 1, 12000, lengthB, 31, MorphSlot::kB);
}

std::vector<const morphdetail::PairKernelSet*> kernelSets() {
  std::vector<const morphdetail::PairKernelSet*> sets{&morphdetail::kBaselinePairKernels};
  if (const auto* avx2 = morphdetail::avx2PairKernels()) sets.push_back(avx2);
  return sets;
}

TEST(MorphDirectEvaluation, EveryGrainInOrderAndOutOfOrderStaysWithinRoundingOfTheFormulas) {
  double worst = 0.0;
  for (const auto* kernels : kernelSets()) {
    for (bool broadband : {true, false}) {
      MorphState m;
      morphdetail::StateAccess::memory(m).kernels = kernels;
      analyseRecording(m, broadband, 3);
      ASSERT_GT(m.regions(MorphSlot::kA).count, broadband ? 300 : 10);
      for (int algorithm : {0, 1, 2}) {
        // A note's 30 grains in order (the rotations carried from grain to grain), then a few out of
        // order and with a shorter span (computed from their angles).
        std::vector<std::pair<int, int>> grains;  // (step, span)
        for (int t = 1; t <= 30; ++t) grains.emplace_back(t, 32);
        for (int t : {17, 3, 29, 4, 5}) grains.emplace_back(t, 32);
        grains.emplace_back(9, 30);
        for (const auto& [step, span] : grains) {
          SCOPED_TRACE(testing::Message() << kernels->name << (broadband ? " broadband" : " sparse") << " algorithm "
                                          << algorithm << " step " << step << " of " << span);
          m.morphStep = step;
          m.synthesiseGrain(5, algorithm, static_cast<float>(span));
          const double d = deviation(m, directGrain(m, algorithm, span, step));
          EXPECT_LT(d, kTolerance);
          worst = std::max(worst, d);
        }
      }
    }
  }
  RecordProperty("worst_relative_deviation", std::to_string(worst));
  std::cout << "[ direct   ] worst deviation " << worst << " of the summed magnitudes\n";
}

TEST(MorphDirectEvaluation, PairsBeyondThePreparedCapacityAreBlendedInRuns) {
  // One wide region of a against 120 narrow ones of b, equally distributed: a's region is repeated
  // for every one of b's, far more positions than are kept prepared.
  MorphState m;
  clearSpectrum(m.spectrum(MorphSlot::kA));
  clearSpectrum(m.spectrum(MorphSlot::kB));
  for (int k = 100; k < 500; ++k) {  // rising magnitude, turning phase
    const Value v = std::polar(2.0 + 0.01 * k, 0.3 * k);
    setBin(m.spectrum(MorphSlot::kA), k, static_cast<float>(v.real()), static_cast<float>(v.imag()));
  }
  setBin(m.spectrum(MorphSlot::kA), 500, 0.5f);
  for (int r = 0; r < 120; ++r) setRun(m.spectrum(MorphSlot::kB), 50 + 10 * r, {2.0f, 6.0f, 3.0f, 0.5f});
  m.findPeakRegions(MorphSlot::kA);
  m.findPeakRegions(MorphSlot::kB);
  ASSERT_EQ(m.regions(MorphSlot::kA).count, 1);
  ASSERT_EQ(m.regions(MorphSlot::kB).count, 120);
  for (int step : {1, 2, 30}) {
    m.morphStep = step;
    m.synthesiseGrain(3, 2, 32.0f);
    EXPECT_LT(deviation(m, directGrain(m, 2, 32, step)), kTolerance) << step;
  }
}

// Peaks of many widths separated by a quiet bin: a pairing with more
// pairs of different widths than a note keeps lane turns for.
void setPeaks(float* s, int widthStep, int widthCount) {
  clearSpectrum(s);
  int k = 1;
  for (int r = 0; k < 1990; ++r) {
    const int w = 3 + (r * widthStep) % widthCount;
    for (int i = 0; i < w && k < 2040; ++i, ++k) {
      const Value v = std::polar(2.0 + std::min(i, w - 1 - i), 0.37 * k);
      setBin(s, k, static_cast<float>(v.real()), static_cast<float>(v.imag()));
    }
    ++k;
  }
}

TEST(MorphDirectEvaluation, ManyDifferentWidthPairsStayWithinRoundingOfTheFormulas) {
  for (const auto* kernels : kernelSets()) {
    MorphState m;
    morphdetail::StateAccess::memory(m).kernels = kernels;
    setPeaks(m.spectrum(MorphSlot::kA), 3, 10);
    setPeaks(m.spectrum(MorphSlot::kB), 7, 11);
    m.findPeakRegions(MorphSlot::kA);
    m.findPeakRegions(MorphSlot::kB);
    const PeakRegionList& ra = m.regions(MorphSlot::kA);
    const PeakRegionList& rb = m.regions(MorphSlot::kB);
    std::set<std::pair<int, int>> widths;
    for (int r = 0; r < std::min(ra.count, rb.count); ++r) widths.emplace(ra.width[r], rb.width[r]);
    ASSERT_GT(widths.size(), 100u);
    for (int algorithm : {0, 1, 2}) {
      for (int step : {1, 2, 3, 16, 30}) {
        m.morphStep = step;
        m.synthesiseGrain(4, algorithm, 32.0f);
        EXPECT_LT(deviation(m, directGrain(m, algorithm, 32, step)), kTolerance)
            << kernels->name << " algorithm " << algorithm << " step " << step;
      }
    }
  }
}

TEST(MorphDirectEvaluation, KernelSetsGiveIdenticalGrains) {
  const auto sets = kernelSets();
  if (sets.size() < 2) GTEST_SKIP() << "only the baseline kernels on this build or processor";
  std::vector<std::vector<float>> grains;
  for (const auto* kernels : sets) {
    MorphState m;
    morphdetail::StateAccess::memory(m).kernels = kernels;
    analyseRecording(m, true, 9);
    m.morphStep = 1;
    std::vector<float> all;
    for (int g = 1; g <= 30; ++g) {
      m.synthesiseGrain(g, 1, 32.0f);
      all.insert(all.end(), m.grainBuffer(g), m.grainBuffer(g) + 4096);
    }
    grains.push_back(all);
  }
  EXPECT_EQ(grains[0], grains[1]);
}

TEST(MorphDirectEvaluation, ANarrowRegionStretchedFarStaysWithinRoundingOfTheFormulas) {
  // 51 bins spread over 1800: its positions' products with the stretch reach 50, where their
  // rounding to float turns a value by up to 6e-6 rad when it is not accounted for.
  for (const auto* kernels : kernelSets()) {
    for (MorphSlot narrowSide : {MorphSlot::kA, MorphSlot::kB}) {
      MorphState m;
      morphdetail::StateAccess::memory(m).kernels = kernels;
      float* wide = m.spectrum(narrowSide == MorphSlot::kA ? MorphSlot::kB : MorphSlot::kA);
      float* narrow = m.spectrum(narrowSide);
      clearSpectrum(wide);
      clearSpectrum(narrow);
      for (int k = 100; k < 1900; ++k) {  // rising magnitude, turning phase
        const Value v = std::polar(2.0 + 0.01 * k, 0.3 * k);
        setBin(wide, k, static_cast<float>(v.real()), static_cast<float>(v.imag()));
      }
      setBin(wide, 1900, 0.5f);
      for (int k = 0; k < 50; ++k) {
        const Value v = std::polar(3.0 + k, 0.7 * k);
        setBin(narrow, 1500 + k, static_cast<float>(v.real()), static_cast<float>(v.imag()));
      }
      setBin(narrow, 1550, 0.5f);
      m.findPeakRegions(MorphSlot::kA);
      m.findPeakRegions(MorphSlot::kB);
      ASSERT_EQ(m.regions(narrowSide).width[0], 51);
      for (int step = 1; step <= 30; ++step) {
        m.morphStep = step;
        m.synthesiseGrain(3, 0, 32.0f);
        EXPECT_LT(deviation(m, directGrain(m, 0, 32, step)), kTolerance)
            << kernels->name << (narrowSide == MorphSlot::kA ? " narrow a" : " narrow b") << " step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace tarnwick::test
