// Peak regions and magnitudes of constructed spectra.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "MorphTestSupport.h"

namespace tarnwick::test {
namespace {

using Regions = std::vector<std::pair<int, int>>;  // (first bin, width)

class MorphPeakRegions : public ::testing::Test {
 protected:
  void SetUp() override { clearSpectrum(spectrum()); }
  float* spectrum() { return morph.spectrum(MorphSlot::kA); }
  Regions scan() {
    morph.findPeakRegions(MorphSlot::kA);
    const PeakRegionList& r = morph.regions(MorphSlot::kA);
    Regions out;
    for (int i = 0; i < r.count; ++i) out.emplace_back(r.start[i], r.width[i]);
    return out;
  }
  MorphState morph;
};

TEST_F(MorphPeakRegions, FirstRegionBeginsAtTheFirstLoudBin) {
  setFloor(spectrum(), 1, 9, 0.5f);
  setRun(spectrum(), 10, {3.0f, 5.0f, 0.2f});
  EXPECT_EQ(scan(), (Regions{{10, 3}}));
}

TEST_F(MorphPeakRegions, LaterRegionsTakeTheBinBeforeTheirFirstLoudBin) {
  setRun(spectrum(), 10, {3.0f, 5.0f, 0.2f});
  setRun(spectrum(), 20, {0.5f, 4.0f, 0.3f});
  setRun(spectrum(), 40, {0.9f, 2.0f, 7.0f, 2.0f, 1.0f});
  EXPECT_EQ(scan(), (Regions{{10, 3}, {20, 3}, {40, 5}}));
}

TEST_F(MorphPeakRegions, AValleyBinBelongsToBothRegionsThatMeetThere) {
  // Bin 12 is loud but lower than both neighbours; bin 15 likewise.
  setRun(spectrum(), 10, {3.0f, 6.0f, 2.0f, 5.0f, 8.0f, 4.0f, 9.0f, 0.5f});
  EXPECT_EQ(scan(), (Regions{{10, 3}, {12, 4}, {15, 3}}));
}

TEST_F(MorphPeakRegions, AFallOntoALevelStretchIsAValley) {
  // 3 at bin 201 is no higher than the 3 after it: the region closes there.
  setRun(spectrum(), 200, {5.0f, 3.0f, 3.0f, 6.0f, 0.5f});
  EXPECT_EQ(scan(), (Regions{{200, 2}, {201, 4}}));
}

TEST_F(MorphPeakRegions, AFallToAQuietBinClosesTheRegionThere) {
  // Falling 6 -> 4 -> 3 stays loud and open; the quiet 1.0 closes it although it is no valley.
  setRun(spectrum(), 100, {6.0f, 4.0f, 3.0f, 1.0f, 0.5f, 2.5f, 0.0f});
  EXPECT_EQ(scan(), (Regions{{100, 4}, {104, 3}}));
}

TEST_F(MorphPeakRegions, PlateausAndRisesExtendTheOpenRegion) {
  setRun(spectrum(), 300, {2.0f, 2.0f, 2.0f, 3.0f, 0.5f});
  EXPECT_EQ(scan(), (Regions{{300, 5}}));
}

TEST_F(MorphPeakRegions, RegionsStillOpenAtTheEndAreNotCounted) {
  setRun(spectrum(), 500, {4.0f, 0.5f});
  // Rises to the top of the scanned range and never falls back.
  for (int k = 2030; k < kBins; ++k) setBin(spectrum(), k, static_cast<float>(k - 2020));
  EXPECT_EQ(scan(), (Regions{{500, 2}}));

  // Falls at bin 2046 but stays loud: closing it would need bin 2047 as the valley.
  clearSpectrum(spectrum());
  setRun(spectrum(), 2044, {3.0f, 9.0f, 5.0f, 0.0f});
  EXPECT_EQ(scan(), Regions{});
}

TEST_F(MorphPeakRegions, AFirstLoudBinAt2046LeavesNoRegion) {
  setRun(spectrum(), 2046, {5.0f, 0.0f});
  EXPECT_EQ(scan(), Regions{});
}

TEST_F(MorphPeakRegions, QuietSpectraGiveNoRegions) {
  EXPECT_EQ(scan(), Regions{});
  setFloor(spectrum(), 1, 2047, 0.999f);
  for (int k = 1; k < kBins; k += 3) setBin(spectrum(), k, 1.0f, 0.0f);  // exactly 1.0 is quiet
  EXPECT_EQ(scan(), Regions{});
  setBin(spectrum(), 2047, 50.0f);  // bin 2047 is never a first loud bin
  setBin(spectrum(), 2048, 50.0f);  // nor is the Nyquist value
  EXPECT_EQ(scan(), Regions{});
}

TEST_F(MorphPeakRegions, ALargeDcValueAloneOpensNoRegion) {
  setBin(spectrum(), 0, 500.0f);
  EXPECT_EQ(scan(), Regions{});
  setBin(spectrum(), 0, -500.0f);
  EXPECT_EQ(scan(), Regions{});
}

TEST_F(MorphPeakRegions, JustAboveOneIsLoud) {
  setRun(spectrum(), 60, {1.0001f, 0.0f});
  EXPECT_EQ(scan(), (Regions{{60, 2}}));
}

TEST_F(MorphPeakRegions, MagnitudesAreTheBinLengthsWithTheRawDcValueFirst) {
  setBin(spectrum(), 0, -7.5f);
  setBin(spectrum(), 3, 3.0f, 4.0f);
  setBin(spectrum(), 4, -3.0f, -4.0f);
  setBin(spectrum(), 5, 1e-19f, 1e-19f);  // squares sum below 1e-36: magnitude 0
  setBin(spectrum(), 6, 4e-18f, 0.0f);    // squares sum 1.6e-35: kept
  setBin(spectrum(), 7, 1e30f, 1e30f);    // squares overflow float; the length does not
  setBin(spectrum(), 8, 3e38f, 3e38f);    // the length itself is beyond float: capped
  setBin(spectrum(), 2047, 0.0f, 2.0f);
  morph.findPeakRegions(MorphSlot::kA);
  const float* mag = morph.magnitudes(MorphSlot::kA);
  EXPECT_EQ(mag[0], -7.5f);
  EXPECT_FLOAT_EQ(mag[3], 5.0f);
  EXPECT_FLOAT_EQ(mag[4], 5.0f);
  EXPECT_EQ(mag[5], 0.0f);
  EXPECT_FLOAT_EQ(mag[6], 4e-18f);
  EXPECT_FLOAT_EQ(mag[7], 1.41421356e30f);
  EXPECT_EQ(mag[8], FLT_MAX);
  EXPECT_FLOAT_EQ(mag[2047], 2.0f);
  EXPECT_EQ(mag[1], 0.0f);
}

TEST_F(MorphPeakRegions, NonFiniteSpectrumValuesAreReplacedBeforeTheScan) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  setBin(spectrum(), 50, nan, 0.0f);
  setBin(spectrum(), 51, inf, -inf);
  setBin(spectrum(), 52, 0.5f);
  spectrum()[2048] = -inf;
  const Regions r = scan();
  const float* s = morph.spectrum(MorphSlot::kA);
  EXPECT_EQ(s[50], 0.0f);
  EXPECT_EQ(s[51], FLT_MAX);
  EXPECT_EQ(s[2048 + 51], -FLT_MAX);
  EXPECT_EQ(s[2048], -FLT_MAX);
  EXPECT_EQ(r, (Regions{{51, 2}}));
  for (int k = 0; k < kBins; ++k) ASSERT_TRUE(std::isfinite(morph.magnitudes(MorphSlot::kA)[k])) << k;
}

TEST_F(MorphPeakRegions, EverySecondBinLoudGivesChainedRegionsSharingValleys) {
  // Peaks at odd bins, loud valleys at even bins: each region is valley, peak, valley.
  setBin(spectrum(), 1, 5.0f);
  for (int k = 2; k <= 2046; ++k) setBin(spectrum(), k, k % 2 ? 5.0f : 2.0f);
  const Regions r = scan();
  ASSERT_EQ(r.size(), 1022u);
  EXPECT_EQ(r[0], (std::pair<int, int>{1, 2}));  // bin 1 is the first loud bin, 2 the first valley
  for (size_t i = 1; i < r.size(); ++i) {
    EXPECT_EQ(r[i].first, 2 * static_cast<int>(i)) << i;
    EXPECT_EQ(r[i].second, 3) << i;
  }
}

// The scan as its rules read, bin by bin, with the open region's entry rewritten as it grows.
PeakRegionList scanByTheRules(const float* mag) {
  PeakRegionList r;
  for (int k = 0; k < kBins; ++k) r.start[k] = r.width[k] = 1;
  r.count = 0;
  int last = 0;
  for (int i = 1; i <= 2046 && last == 0; ++i)
    if (mag[i] > 1.0f) r.start[0] = static_cast<int16_t>(last = i);
  if (last == 0) return r;
  for (int j = last + 1; j < 2047 && r.count < kBins; ++j) {
    const int c = r.count;
    if (mag[j - 1] <= mag[j]) {
      if (mag[j] > 1.0f) r.start[c] = static_cast<int16_t>(j), ++r.width[c];
    } else if (mag[j - 1] > 1.0f) {
      if (mag[j] <= mag[j + 1] || mag[j] <= 1.0f)
        r.start[c] = static_cast<int16_t>(r.start[c] - (r.width[c] - 1)), ++r.width[c], r.count = c + 1;
      else
        r.start[c] = static_cast<int16_t>(j), ++r.width[c];
    }
  }
  return r;
}

TEST_F(MorphPeakRegions, RandomSpectraSplitAsTheRulesSplitThemEntryForEntry) {
  // Noise around the loudness threshold, with level stretches, at several densities of loud bins.
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const float level = 0.4f + 0.02f * static_cast<float>(round % 60);
    std::uniform_real_distribution<float> value(0.0f, 2.0f * level);
    for (int k = 1; k < kBins; ++k)
      setBin(spectrum(), k, rng() % 7 == 0 && k > 1 ? std::fabs(spectrum()[k - 1]) : value(rng));
    morph.findPeakRegions(MorphSlot::kA);
    const PeakRegionList expected = scanByTheRules(morph.magnitudes(MorphSlot::kA));
    const PeakRegionList& got = morph.regions(MorphSlot::kA);
    ASSERT_EQ(got.count, expected.count) << round;
    for (int k = 0; k < kBins; ++k) {
      ASSERT_EQ(got.start[k], expected.start[k]) << round << " entry " << k;
      ASSERT_EQ(got.width[k], expected.width[k]) << round << " entry " << k;
    }
  }
}

}  // namespace
}  // namespace tarnwick::test
