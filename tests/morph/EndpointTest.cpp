// Endpoint analysis: the mono windowed copy of the recording, its length cap, bounds, and spectrum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "MorphTestSupport.h"

namespace tarnwick::test {
namespace {

// A recording of `frames` frames plus the guard sample (0), constant per channel.
struct Recording {
  Recording(int frames, float l, float r) : left(frames + 1, l), right(frames + 1, r) {
    left[frames] = right[frames] = 0.0f;
  }
  int64_t length() const { return static_cast<int64_t>(left.size()); }
  std::vector<float> left, right;
};

class MorphEndpoint : public ::testing::Test {
 protected:
  // Analyses into slot A and grain 0; returns the (possibly rewritten) length.
  int32_t analyse(const Recording& rec, int32_t readPos, int32_t length, MorphSlot slot = MorphSlot::kA) {
    morph.analyseEndpoint(rec.left.data(), rec.right.data(), rec.length(), readPos, length, 0, slot);
    return length;
  }
  const float* grain() const { return morph.grainBuffer(0); }
  void expectSilentFrom(int first) {
    for (int n = first; n <= 4096; ++n) ASSERT_EQ(grain()[n], 0.0f) << n;
  }
  MorphState morph;
};

TEST_F(MorphEndpoint, ThousandSampleGrainRisesAndFallsOver500SamplesEach) {
  const Recording rec(5000, 0.75f, 0.25f);  // channel sum 1: the grain shows the window itself
  EXPECT_EQ(analyse(rec, 100, 1000), 1000);
  EXPECT_EQ(grain()[0], 0.0f);
  for (int j = 0; j < 500; ++j) ASSERT_NEAR(grain()[j], 0.001 * j, 1e-5) << j;
  EXPECT_NEAR(grain()[499], 0.499, 1e-5);
  EXPECT_EQ(grain()[500], 0.5f);
  for (int j = 500; j < 1000; ++j) ASSERT_NEAR(grain()[j], 0.5 - 0.001 * (j - 500), 1e-5) << j;
  EXPECT_NEAR(grain()[999], 0.001, 1e-5);
  expectSilentFrom(1000);
}

TEST_F(MorphEndpoint, FullLengthGrainHas680SampleFadesAndAFlatMiddle) {
  const Recording rec(20000, 0.5f, 1.5f);  // channel sum 2
  EXPECT_EQ(analyse(rec, 0, 4096), 4096);
  const double q = 1.0 / 1360.0;
  EXPECT_EQ(grain()[0], 0.0f);
  EXPECT_NEAR(grain()[1], 2.0 * q, 1e-6);
  EXPECT_NEAR(grain()[679], 2.0 * 679 * q, 1e-5);
  for (int j = 680; j <= 3416; ++j) ASSERT_EQ(grain()[j], 1.0f) << j;  // the fall starts at 0.5
  EXPECT_NEAR(grain()[3417], 2.0 * (0.5 - q), 1e-5);
  EXPECT_NEAR(grain()[4095], 2.0 * (0.5 - 679 * q), 1e-5);
  expectSilentFrom(4096);
}

TEST_F(MorphEndpoint, TenThousandSampleGrainBecomes4096Samples) {
  const Recording rec(50000, 0.5f, 0.5f);
  EXPECT_EQ(analyse(rec, 1000, 10000), 4096);
  EXPECT_EQ(grain()[2000], 0.5f);
  EXPECT_NEAR(grain()[4095], 0.5 - 679.0 / 1360.0, 1e-5);
  expectSilentFrom(4096);
}

TEST_F(MorphEndpoint, A4095SampleGrainAtTheEndIsWidenedOntoTheGuardSample) {
  Recording rec(8000, 0.5f, 0.5f);
  rec.left[8000] = rec.right[8000] = 3.0f;  // a marked guard sample
  EXPECT_EQ(analyse(rec, 8000 - 4095, 4095), 4096);
  EXPECT_NEAR(grain()[4095], 6.0 * (0.5 - 679.0 / 1360.0), 1e-4);  // after 679 float steps
  EXPECT_NEAR(grain()[4094], 0.5 - 678.0 / 1360.0, 1e-5);
  // One frame later the last sample lies beyond the readable samples and reads as silence.
  EXPECT_EQ(analyse(rec, 8000 - 4094, 4095), 4096);
  EXPECT_EQ(grain()[4095], 0.0f);
  EXPECT_NE(grain()[4094], 0.0f);
}

TEST_F(MorphEndpoint, A4094SampleGrainKeepsItsLength) {
  const Recording rec(8000, 0.5f, 0.5f);
  EXPECT_EQ(analyse(rec, 0, 4094), 4094);
  EXPECT_NEAR(grain()[4093], 0.5 - 679.0 / 1360.0, 1e-5);
  expectSilentFrom(4094);
}

TEST_F(MorphEndpoint, VeryShortGrainsUseHalfTheirLengthAsFade) {
  const Recording rec(100, 1.0f, 1.0f);
  EXPECT_EQ(analyse(rec, 0, 1), 1);  // no fade: the one sample is the plain average
  EXPECT_EQ(grain()[0], 1.0f);
  expectSilentFrom(1);
  analyse(rec, 0, 2);  // fade of 1: rise starts at 0, fall at 0.5
  EXPECT_EQ(grain()[0], 0.0f);
  EXPECT_EQ(grain()[1], 1.0f);
  expectSilentFrom(2);
  analyse(rec, 0, 3);
  EXPECT_EQ(grain()[0], 0.0f);
  EXPECT_EQ(grain()[1], 1.0f);
  EXPECT_EQ(grain()[2], 1.0f);
  expectSilentFrom(3);
  analyse(rec, 0, 6);  // fade of 3, step 1/6
  EXPECT_NEAR(grain()[2], 2.0 * 2.0 / 6.0, 1e-6);
  EXPECT_NEAR(grain()[5], 2.0 * (0.5 - 2.0 / 6.0), 1e-6);
}

TEST_F(MorphEndpoint, EmptyOrNegativeLengthsGiveASilentEndpoint) {
  const Recording rec(100, 1.0f, 1.0f);
  for (int32_t length : {0, -5, -2147483647}) {
    EXPECT_EQ(analyse(rec, 0, length), length);
    expectSilentFrom(0);
    EXPECT_EQ(morph.regions(MorphSlot::kA).count, 0);
    for (int k = 0; k < kSpectrum; ++k) ASSERT_EQ(morph.spectrum(MorphSlot::kA)[k], 0.0f);
  }
}

TEST_F(MorphEndpoint, FramesOutsideTheRecordingReadAsSilence) {
  const Recording rec(1000, 0.5f, 0.5f);
  analyse(rec, -10, 2000);  // fade of 680
  for (int j = 0; j < 10; ++j) ASSERT_EQ(grain()[j], 0.0f) << j;
  EXPECT_NEAR(grain()[10], 10.0 / 1360.0, 1e-6);
  EXPECT_NE(grain()[1000], 0.0f);                                      // frame 990
  for (int j = 1011; j < 2000; ++j) ASSERT_EQ(grain()[j], 0.0f) << j;  // frame 1001 on
  analyse(rec, 2000000000, 4096);
  expectSilentFrom(0);
  int32_t length = 500;
  morph.analyseEndpoint(nullptr, rec.right.data(), rec.length(), 0, length, 0, MorphSlot::kA);
  expectSilentFrom(0);
}

TEST_F(MorphEndpoint, SpectrumIsTheTransformOfTheWindowedGrainAndGoesToTheNamedSlot) {
  Recording rec(8192, 0.0f, 0.0f);
  for (int n = 0; n < 8192; ++n) {
    rec.left[n] = static_cast<float>(std::cos(2.0 * 3.14159265358979 * 100.0 * n / 4096.0));
    rec.right[n] = 0.5f * rec.left[n];
  }
  analyse(rec, 0, 4096, MorphSlot::kB);
  const float* s = morph.spectrum(MorphSlot::kB);
  double peak = 0.0;
  for (int k : {0, 1, 99, 100, 101, 250, 2047}) {
    double re = 0.0, im = 0.0;
    for (int n = 0; n < 4096; ++n) {
      const double angle = 2.0 * 3.14159265358979 * ((static_cast<int64_t>(k) * n) % 4096) / 4096.0;
      re += grain()[n] * std::cos(angle);
      im += grain()[n] * std::sin(angle);
    }
    peak = std::max(peak, std::hypot(re, im));
    EXPECT_NEAR(s[k], re, 0.05) << k;
    if (k > 0) {
      EXPECT_NEAR(s[2048 + k], im, 0.05) << k;
    }
  }
  EXPECT_GT(peak, 1000.0);
  const PeakRegionList& r = morph.regions(MorphSlot::kB);
  ASSERT_GE(r.count, 1);
  bool covered = false;
  for (int i = 0; i < r.count; ++i) covered |= r.start[i] <= 100 && 100 < r.start[i] + r.width[i];
  EXPECT_TRUE(covered);
  EXPECT_NEAR(morph.magnitudes(MorphSlot::kB)[100], std::hypot(s[100], s[2148]), 1e-3);
  for (int k = 0; k < kSpectrum; ++k) ASSERT_EQ(morph.spectrum(MorphSlot::kA)[k], 0.0f);
  EXPECT_EQ(morph.regions(MorphSlot::kA).count, 0);
}

TEST_F(MorphEndpoint, GrainNumbersOutsideTheInstrumentAreIgnored) {
  const Recording rec(10000, 0.5f, 0.5f);
  int32_t length = 9000;
  morph.analyseEndpoint(rec.left.data(), rec.right.data(), rec.length(), 0, length, 32, MorphSlot::kA);
  morph.analyseEndpoint(rec.left.data(), rec.right.data(), rec.length(), 0, length, -1, MorphSlot::kA);
  EXPECT_EQ(length, 9000);
  for (int n = 0; n <= 4096; ++n) ASSERT_EQ(morph.grainBuffer(-1)[n], 0.0f);
  EXPECT_EQ(morph.regions(MorphSlot::kA).count, 0);
}

}  // namespace
}  // namespace tarnwick::test
