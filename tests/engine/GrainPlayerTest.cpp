// The vectorised grain run against the per-sample player, for every kernel set this processor runs:
// the outputs and the fade-in bookkeeping must match bit for bit.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/GrainPlayer.h"
#include "engine/GrainPlayerKernels.h"

namespace tarnwick::test {
namespace {

struct Case {
  int32_t count, samplesLeft, fadeInLeft;
  float fadeLength;
};

TEST(GrainPlayer, EveryKernelMatchesThePerSamplePlayerBitForBit) {
  std::vector<const grainkernels::GrainKernelSet*> kernels{&grainkernels::kBaselineGrainKernels};
  if (const auto* avx2 = grainkernels::avx2GrainKernels()) kernels.push_back(avx2);

  std::mt19937 rng(7);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  std::vector<float> srcL(600), srcR(600);
  for (size_t i = 0; i < srcL.size(); ++i) srcL[i] = sample(rng), srcR[i] = sample(rng);

  // Fade-in only, across all three parts, sustain into fade-out, fade-out only, odd lengths, fade
  // lengths that are not whole, longer than the grain, zero or negative, and a grain too long for the
  // closed-form end of the sustain.
  std::vector<Case> cases{{512, 5000, 1378, 1378.0f}, {300, 300, 100, 100.0f}, {517, 600, 37, 150.5f},
                          {64, 64, 0, 1378.0f},       {7, 100, 3, 33.3f},      {513, 513, 0, 0.0f},
                          {200, 200, 0, -4.0f},       {100, 100, 100, 700.0f}, {250, 20000000, 0, 30000000.0f},
                          {333, 400, 0, 399.75f},     {1, 1, 1, 1.0f},         {480, 1000, 10, 1e-30f}};
  for (int k = 0; k < 40; ++k) {  // and random ones
    const int32_t count = static_cast<int32_t>(rng() % 513);
    const int32_t left = count + static_cast<int32_t>(rng() % 3000);
    cases.push_back({count, left, static_cast<int32_t>(rng() % 700), static_cast<float>(rng() % 2000) / 3.0f});
  }

  for (const auto* set : kernels) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << set->name << " count " << c.count << " left " << c.samplesLeft << " fade in "
                                      << c.fadeInLeft << " fade " << c.fadeLength);
      std::vector<float> wantL(600, 0.25f), wantR(600, -0.5f), gotL(wantL), gotR(wantR);
      GrainRun want{srcL.data(),   srcR.data(), wantL.data(), wantR.data(), c.count,
                    c.samplesLeft, 0.7f,        0.0f,         c.fadeLength, c.fadeInLeft};
      GrainRun got = want;
      got.outL = gotL.data();
      got.outR = gotR.data();
      const int32_t wantFadeIns = playGrainRunPerSample(want);
      EXPECT_EQ(set->playConstantAmplitude(got), wantFadeIns);
      EXPECT_EQ(got.fadeInLeft, want.fadeInLeft);
      EXPECT_EQ(gotL, wantL);
      EXPECT_EQ(gotR, wantR);
    }
  }
}

}  // namespace
}  // namespace tarnwick::test
