// A morph note start allocates nothing: all working memory comes from the constructor.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/morph/MorphState.h"
#include "tests/support/AllocationCounter.h"

namespace tarnwick {
namespace {

TEST(MorphAllocation, AnalysisAndSynthesisAllocateNothing) {
  constexpr int kFrames = 30000;
  std::vector<float> left(kFrames + 1), right(kFrames + 1);
  for (int n = 0; n < kFrames; ++n) {
    double v = 0.0;
    for (int h = 1; h <= 30; ++h) v += std::sin(0.031 * h * n) / h;
    left[n] = static_cast<float>(0.4 * v);
    right[n] = static_cast<float>(0.3 * v + 0.01 * ((n * 7919) % 13 - 6));
  }
  auto morph = std::make_unique<MorphState>();  // before watching: construction allocates

  // The counter must see an allocation when there is one, or the test proves nothing.
  ASSERT_GE(test::countKnownAllocation(), 1);

  test::countAllocations(true);
  for (int algorithm = 0; algorithm < 3; ++algorithm) {
    int32_t lengthA = 10000, lengthB = 3000;
    morph->analyseEndpoint(left.data(), right.data(), kFrames + 1, 100, lengthA, 0, MorphSlot::kA);
    morph->analyseEndpoint(left.data(), right.data(), kFrames + 1, 9000, lengthB, 31, MorphSlot::kB);
    morph->morphStep = 1;
    for (int g = 1; g < 31; ++g) morph->synthesiseGrain(g, algorithm, 32.0f);
    morph->findPeakRegions(MorphSlot::kA);
  }
  test::countAllocations(false);

  EXPECT_EQ(test::allocationCounts().news, 0);
  EXPECT_GT(morph->regions(MorphSlot::kA).count, 5);  // the pairing really ran
  EXPECT_GT(morph->regions(MorphSlot::kB).count, 5);
}

}  // namespace
}  // namespace tarnwick
