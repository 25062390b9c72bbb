// Middle-grain synthesis: region pairing of the three algorithms, weights, identical endpoints,
// bilinear spreading, zero magnitudes and hostile arguments.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "MorphTestSupport.h"

namespace tarnwick::test {
namespace {

struct Pair {
  int a, b;  // region indices
};

class MorphSynthesis : public ::testing::Test {
 protected:
  void SetUp() override {
    clearSpectrum(A());
    clearSpectrum(B());
  }
  float* A() { return morph.spectrum(MorphSlot::kA); }
  float* B() { return morph.spectrum(MorphSlot::kB); }
  const float* out() const { return morph.spectrumOut(); }
  void analyse() {
    morph.findPeakRegions(MorphSlot::kA);
    morph.findPeakRegions(MorphSlot::kB);
  }
  std::vector<int> starts(MorphSlot slot) const {
    const PeakRegionList& r = morph.regions(slot);
    std::vector<int> s;
    for (int i = 0; i < r.count; ++i) s.push_back(r.start[i]);
    return s;
  }
  // One middle grain with weight d = step / (count - 1).
  void synthesise(int algorithm, float count, int step) {
    morph.morphStep = step;
    morph.synthesiseGrain(5, algorithm, count);
  }
  MorphState morph;
};

// A four-bin region at [s, s + 3]; the first region of a list has to begin on a loud bin.
void region(float* s, int first, bool leading) { setRun(s, first, {leading ? 2.0f : 0.5f, 3.0f, 6.0f, 0.5f}); }

// The output expected from pairs of equally wide regions (width 4), an optional tail added from
// bin `tailFrom` of `tailSource`, and DC = e A[0] + d B[0].
struct Expected {
  std::vector<Value> bins = std::vector<Value>(kBins);
  void addPairs(const float* a, const float* b, const std::vector<int>& startsA, const std::vector<int>& startsB,
                const std::vector<Pair>& pairs, double d) {
    const double e = 1.0 - d;
    for (const Pair& p : pairs) {
      for (int m = 0; m < 4; ++m) {
        const double pA = startsA[p.a] + m, pB = startsB[p.b] + m;
        const double tau = e * pA + d * pB;
        const int t = static_cast<int>(tau);
        const double phi = tau - t;
        const Value v = e * turned(binValue(a, static_cast<int>(pA)), tau - pA) +
                        d * turned(binValue(b, static_cast<int>(pB)), tau - pB);
        bins[t] += (1.0 - phi) * v;
        bins[t + 1] += phi * v;
      }
    }
  }
  void addTail(const float* source, int from, double scale) {
    for (int k = from; k < kBins; ++k) bins[k] += scale * binValue(source, k);
  }
};

void expectSpectrum(const float* out, const Expected& want, double dc, double tolerance) {
  EXPECT_NEAR(out[0], dc, tolerance);
  EXPECT_EQ(out[kBins], 0.0f) << "Nyquist";
  for (int k = 1; k < kBins; ++k) {
    ASSERT_NEAR(out[k], want.bins[k].real(), tolerance) << "re of bin " << k;
    ASSERT_NEAR(out[kBins + k], want.bins[k].imag(), tolerance) << "im of bin " << k;
  }
}

// Endpoint a: regions at 100, 300, 500; endpoint b: regions at 200, 400, 600, 800, 1000. Quiet
// floors of different levels everywhere else.
class MorphThreeAgainstFive : public MorphSynthesis {
 protected:
  void SetUp() override {
    MorphSynthesis::SetUp();
    setFloor(A(), 1, 2047, 0.2f);
    setFloor(B(), 1, 2047, 0.25f);
    int n = 0;
    for (int s : {100, 300, 500}) region(A(), s, n++ == 0);
    n = 0;
    for (int s : {200, 400, 600, 800, 1000}) region(B(), s, n++ == 0);
    setBin(A(), 0, 3.0f);
    setBin(B(), 0, 7.0f);
    analyse();
    ASSERT_EQ(starts(MorphSlot::kA), (std::vector<int>{100, 300, 500}));
    ASSERT_EQ(starts(MorphSlot::kB), (std::vector<int>{200, 400, 600, 800, 1000}));
  }
  // d = 1/4: every target lands on a whole bin for these region positions.
  static constexpr float kCount = 5.0f;
  static constexpr double kD = 0.25;
  static constexpr double kDc = 0.75 * 3.0 + 0.25 * 7.0;
};

TEST_F(MorphThreeAgainstFive, WeightedCopyPairsInOrderAndAddsBsRestScaledByD) {
  synthesise(0, kCount, 1);
  Expected want;
  want.addPairs(A(), B(), starts(MorphSlot::kA), starts(MorphSlot::kB), {{0, 0}, {1, 1}, {2, 2}}, kD);
  want.addTail(B(), 800, kD);  // from the start of B's region 3, quiet bins included
  expectSpectrum(out(), want, kDc, 2e-5);
}

TEST_F(MorphThreeAgainstFive, LinearCopyAddsBsRestUnscaled) {
  synthesise(1, kCount, 1);
  Expected want;
  want.addPairs(A(), B(), starts(MorphSlot::kA), starts(MorphSlot::kB), {{0, 0}, {1, 1}, {2, 2}}, kD);
  want.addTail(B(), 800, 1.0);
  expectSpectrum(out(), want, kDc, 2e-5);
}

TEST_F(MorphThreeAgainstFive, EquallyDistributedSpreadsAsRegionsOverBsAndAddsNothing) {
  synthesise(2, kCount, 1);
  Expected want;
  want.addPairs(A(), B(), starts(MorphSlot::kA), starts(MorphSlot::kB), {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}, kD);
  expectSpectrum(out(), want, kDc, 2e-5);
}

TEST_F(MorphThreeAgainstFive, HostileAlgorithmNumbersActAsWeightedCopy) {
  synthesise(0, kCount, 1);
  const std::vector<float> reference(out(), out() + kSpectrum);
  for (int algorithm : {3, -1, 1000, std::numeric_limits<int32_t>::min()}) {
    synthesise(algorithm, kCount, 1);
    EXPECT_EQ(std::vector<float>(out(), out() + kSpectrum), reference) << algorithm;
  }
}

TEST_F(MorphSynthesis, WhenAHasTheExtraRegionsItsRestIsAddedScaledByE) {
  int n = 0;
  for (int s : {200, 400, 600, 800, 1000}) region(A(), s, n++ == 0);
  n = 0;
  for (int s : {100, 300, 500}) region(B(), s, n++ == 0);
  setFloor(A(), 1004, 2047, 0.3f);
  analyse();
  synthesise(0, 5.0f, 1);
  Expected want;
  want.addPairs(A(), B(), starts(MorphSlot::kA), starts(MorphSlot::kB), {{0, 0}, {1, 1}, {2, 2}}, 0.25);
  want.addTail(A(), 800, 0.75);
  expectSpectrum(out(), want, 0.0, 2e-5);
}

TEST_F(MorphSynthesis, EquallyDistributedWithMoreRegionsInASpreadsBsRegions) {
  int n = 0;
  for (int s : {200, 400, 600, 800, 1000}) region(A(), s, n++ == 0);
  n = 0;
  for (int s : {100, 300, 500}) region(B(), s, n++ == 0);
  analyse();
  synthesise(2, 5.0f, 1);
  Expected want;
  want.addPairs(A(), B(), starts(MorphSlot::kA), starts(MorphSlot::kB), {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}, 0.25);
  expectSpectrum(out(), want, 0.0, 2e-5);
}

TEST_F(MorphSynthesis, TargetsBetweenBinsAreSharedByTheTwoBinsAround) {
  region(A(), 100, true);
  region(B(), 102, true);
  analyse();
  synthesise(0, 5.0f, 1);  // tau = 0.75 (100 + m) + 0.25 (102 + m) = 100.5 + m
  Expected want;
  want.addPairs(A(), B(), {100}, {102}, {{0, 0}}, 0.25);
  expectSpectrum(out(), want, 0.0, 2e-5);
  EXPECT_NE(out()[100], 0.0f);
  EXPECT_NE(out()[104], 0.0f);
}

TEST_F(MorphSynthesis, IdenticalEndpointsGiveBackTheirRegionsWithSharedValleysTwice) {
  setFloor(A(), 1, 2047, 0.6f);
  setRun(A(), 40, {2.0f, 5.0f, 3.0f, 6.0f, 0.4f});               // regions 40..42 and 42..44
  setRun(A(), 100, {0.5f, 4.0f, 0.3f});                          // 100..102
  setRun(A(), 700, {0.2f, 3.0f, 8.0f, 2.0f, 9.0f, 1.5f, 0.1f});  // 700..703 and 703..706
  setRun(A(), 1900, {0.5f, 3.0f, 0.5f});                         // 1900..1902
  setBin(A(), 0, -4.0f);
  for (int k = 1; k < kBins; ++k) {  // give every bin its own phase
    const Value v = binValue(A(), k) * std::polar(1.0, 1.3 * k);
    setBin(A(), k, static_cast<float>(v.real()), static_cast<float>(v.imag()));
  }
  for (int k = 0; k < kSpectrum; ++k) B()[k] = A()[k];
  analyse();
  ASSERT_EQ(starts(MorphSlot::kA), (std::vector<int>{40, 42, 100, 700, 703, 1900}));

  Expected want;
  for (int k : {40, 41, 43, 44, 100, 101, 102, 700, 701, 702, 704, 705, 706, 1900, 1901, 1902})
    want.bins[k] = binValue(A(), k);
  for (int k : {42, 703}) want.bins[k] = 2.0 * binValue(A(), k);
  for (int algorithm : {0, 1, 2}) {
    for (int step : {1, 16, 30}) {
      SCOPED_TRACE(testing::Message() << "algorithm " << algorithm << " step " << step);
      synthesise(algorithm, 32.0f, step);
      expectSpectrum(out(), want, -4.0, 2e-3);
    }
  }
}

// With no regions in one endpoint the grain is a cross-fade, which shows the weights directly:
// A is 1 at DC, B is 1 at bin 1 (magnitude 1.0 is quiet).
class MorphWeights : public MorphSynthesis {
 protected:
  void SetUp() override {
    MorphSynthesis::SetUp();
    setBin(A(), 0, 1.0f);
    setBin(B(), 1, 1.0f);
    analyse();
  }
  void expectWeight(float d) {
    EXPECT_FLOAT_EQ(out()[1], d);
    EXPECT_FLOAT_EQ(out()[0], 1.0f - d);
  }
};

TEST_F(MorphWeights, ThirtyTwoGrainSpanRunsFromOne31stTo30_31stsThenStartsAgain) {
  morph.morphStep = 1;
  for (int t = 1; t <= 30; ++t) {
    morph.synthesiseGrain(t, 0, 32.0f);
    expectWeight(static_cast<float>(t) / 31.0f);
  }
  EXPECT_EQ(morph.morphStep, 1);
  morph.synthesiseGrain(1, 0, 32.0f);
  expectWeight(1.0f / 31.0f);
}

TEST_F(MorphWeights, ThirtyGrainSpanRunsFromOne29thTo28_29ths) {
  morph.morphStep = 1;
  for (int t = 1; t <= 28; ++t) {
    morph.synthesiseGrain(t + 1, 0, 30.0f);
    expectWeight(static_cast<float>(t) / 29.0f);
  }
  EXPECT_EQ(morph.morphStep, 1);
}

TEST_F(MorphWeights, GrainBufferIsTheInverseOfTheBlendedSpectrum) {
  morph.morphStep = 10;
  morph.synthesiseGrain(7, 1, 32.0f);
  const double d = 10.0 / 31.0, e = 1.0 - d;
  const float* grain = morph.grainBuffer(7);
  for (int n : {0, 1, 100, 1024, 2048, 4095}) {
    const double want = (e + 2.0 * d * std::cos(2.0 * 3.14159265358979 * n / 4096.0)) / 4096.0;
    EXPECT_NEAR(grain[n], want, 1e-8) << n;
  }
  EXPECT_EQ(grain[4096], 0.0f);
}

TEST_F(MorphWeights, SpanCountsBelowThreeActAsThreeAndNeverAdvance) {
  for (float count : {2.0f, 1.0f, 0.0f, -7.0f, std::numeric_limits<float>::quiet_NaN()}) {
    morph.morphStep = 1;
    morph.synthesiseGrain(3, 0, count);
    expectWeight(0.5f);
    EXPECT_EQ(morph.morphStep, 1) << count;
  }
  morph.synthesiseGrain(3, 0, std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isfinite(out()[0]));
}

TEST_F(MorphWeights, AStepOutsideTheSpanRestartsAtOne) {
  for (int step : {0, -3, 31, 1000}) {
    morph.morphStep = step;
    morph.synthesiseGrain(3, 0, 32.0f);
    expectWeight(1.0f / 31.0f);
    EXPECT_EQ(morph.morphStep, 2) << step;
  }
}

TEST_F(MorphWeights, GrainNumbersOutsideTheInstrumentDoNothing) {
  morph.morphStep = 4;
  morph.synthesiseGrain(32, 0, 32.0f);
  morph.synthesiseGrain(-1, 0, 32.0f);
  EXPECT_EQ(morph.morphStep, 4);
  EXPECT_EQ(out()[1], 0.0f);
  const float* spare = morph.grainBuffer(-1);
  ASSERT_NE(spare, nullptr);
  EXPECT_EQ(spare, morph.grainBuffer(32));
  for (int n = 0; n <= 4096; ++n) ASSERT_EQ(spare[n], 0.0f);
}

// A's region 1 begins with a bin of magnitude 0 and is stretched over B's wider region, so the
// position 199.5 interpolates from that bin.
class MorphZeroMagnitude : public MorphSynthesis {
 protected:
  void build(float re199, float im199) {
    clearSpectrum(A());
    clearSpectrum(B());
    setRun(A(), 50, {2.0f, 5.0f, 0.5f});
    setRun(B(), 50, {2.0f, 5.0f, 0.5f});
    setRun(A(), 199, {0.0f, 5.0f, 0.0f});
    setBin(A(), 199, re199, im199);
    setRun(B(), 199, {0.5f, 2.0f, 5.0f, 3.0f, 0.5f});
    analyse();
    ASSERT_EQ(starts(MorphSlot::kA), (std::vector<int>{50, 199}));
    ASSERT_EQ(starts(MorphSlot::kB), (std::vector<int>{50, 199}));
    ASSERT_EQ(morph.magnitudes(MorphSlot::kA)[199], 0.0f);
  }
  // e times A's share of the output: B enters linearly, so negating B isolates it.
  std::vector<double> shareOfA(int algorithm) {
    synthesise(algorithm, 32.0f, 1);
    const std::vector<float> plus(out(), out() + kSpectrum);
    for (int k = 1; k < kSpectrum; ++k) B()[k] = -B()[k];
    analyse();
    synthesise(algorithm, 32.0f, 1);
    std::vector<double> a(kSpectrum);
    for (int k = 0; k < kSpectrum; ++k) a[k] = 0.5 * (static_cast<double>(plus[k]) + out()[k]);
    for (int k = 1; k < kSpectrum; ++k) B()[k] = -B()[k];
    return a;
  }
};

TEST_F(MorphZeroMagnitude, AZeroLowerBinContributesNothingAndNothingTurnsNonFinite) {
  for (const auto& [re, im] : {std::pair{0.0f, 0.0f}, std::pair{1e-19f, -1e-19f}}) {
    build(re, im);
    for (int algorithm : {0, 1, 2}) {
      const std::vector<double> a = shareOfA(algorithm);
      for (int k = 0; k < kSpectrum; ++k) ASSERT_TRUE(std::isfinite(out()[k])) << k;
      EXPECT_NEAR(a[199], 0.0, 1e-5);
      EXPECT_NEAR(a[kBins + 199], 0.0, 1e-5);
      EXPECT_GT(std::abs(a[200]) + std::abs(a[kBins + 200]), 1.0);  // A's peak is still there
      for (int n = 0; n <= 4096; ++n) ASSERT_TRUE(std::isfinite(morph.grainBuffer(5)[n])) << n;
    }
  }
}

TEST_F(MorphSynthesis, RegionsAtTheTopOfTheSpectrumStayInsideIt) {
  setRun(A(), 2043, {2.0f, 3.0f, 6.0f, 0.5f});
  setRun(B(), 2040, {2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 3.0f, 0.5f});
  setBin(A(), 2047, 40.0f, 40.0f);
  setBin(B(), 2047, 40.0f, -40.0f);
  analyse();
  ASSERT_EQ(morph.regions(MorphSlot::kA).count, 1);
  ASSERT_EQ(morph.regions(MorphSlot::kB).count, 1);
  for (int algorithm : {0, 1, 2}) {
    for (int step = 1; step <= 30; ++step) {
      synthesise(algorithm, 32.0f, step);
      EXPECT_EQ(out()[kBins], 0.0f);
      for (int k = 0; k < kSpectrum; ++k) ASSERT_TRUE(std::isfinite(out()[k]));
      for (int k = 1; k < 2040; ++k) ASSERT_EQ(out()[k], 0.0f) << k;
    }
  }
}

}  // namespace
}  // namespace tarnwick::test
