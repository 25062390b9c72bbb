// The transform allocates nothing, not even on the process's first call that builds its tables.
#include "engine/fft/RealFft4096.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/support/AllocationCounter.h"

namespace tarnwick {
namespace {

TEST(RealFft4096Allocation, FirstAndLaterTransformsAllocateNothing) {
  constexpr int kN = RealFft4096::kSize;
  auto scratch = std::make_unique<RealFft4096::Scratch>();
  std::vector<float> x(kN, 0.0f), s(kN);
  x[7] = 1.0f;

  // The counter must see an allocation when there is one, or the test proves nothing.
  ASSERT_GE(test::countKnownAllocation(), 1);

  test::countAllocations(true);
  RealFft4096::forward(x.data(), s.data(), *scratch);  // the first call builds the tables
  RealFft4096::inverse(s.data(), x.data(), *scratch);
  for (int i = 0; i < 10; ++i) {
    RealFft4096::forward(x.data(), s.data(), *scratch);
    RealFft4096::inverse(s.data(), x.data(), *scratch);
  }
  test::countAllocations(false);
  EXPECT_EQ(test::allocationCounts().news, 0);
  EXPECT_NEAR(x[7], 1.0f, 1e-5f);
}

}  // namespace
}  // namespace tarnwick
