// 80-bit extended sample rates of AIFF files.
#include <gtest/gtest.h>

#include <cmath>

#include "storage/Extended80.h"
#include "tests/storage/AudioFixtures.h"

namespace tarnwick {
namespace {

double convert(std::initializer_list<uint8_t> bytes) {
  const std::vector<uint8_t> raw(bytes);
  return extended80ToDouble(raw.data());
}

TEST(Extended80Test, CommonRates) {
  EXPECT_EQ(convert({0x40, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 44100.0);
  EXPECT_EQ(convert({0x40, 0x0E, 0xBB, 0x80, 0, 0, 0, 0, 0, 0}), 48000.0);
  EXPECT_EQ(convert({0x40, 0x0D, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), 22050.0);
  EXPECT_EQ(convert({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), 1.0);
  EXPECT_EQ(convert({0x3F, 0xFE, 0x80, 0, 0, 0, 0, 0, 0, 0}), 0.5);
}

TEST(Extended80Test, ZeroAndNegative) {
  EXPECT_EQ(convert({0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0);
  EXPECT_EQ(convert({0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}), -44100.0);
  EXPECT_EQ(convert({0xBF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), -1.0);
}

TEST(Extended80Test, AllOnesExponentIsTheSentinelRate) {
  EXPECT_EQ(convert({0x7F, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), 352800.0);
  EXPECT_EQ(convert({0x7F, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}), 352800.0);
  EXPECT_EQ(convert({0x7F, 0xFF, 0xC0, 0, 0, 0, 0, 0, 0, 1}), 352800.0);
  EXPECT_EQ(convert({0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0, 0, 0}), -352800.0);
}

TEST(Extended80Test, LowMantissaContributes) {
  // 1 + 2^-40: the set bit lies in the low 32 bits of the mantissa.
  EXPECT_EQ(convert({0x3F, 0xFF, 0x80, 0, 0, 0, 0, 0x80, 0, 0}), 1.0 + std::ldexp(1.0, -40));
  // A fractional rate as some writers store 44100 after a resampling step.
  const auto bytes = test::rate80(44099.5);
  EXPECT_EQ(extended80ToDouble(bytes.data()), 44099.5);
}

TEST(Extended80Test, FixtureEncoderRoundTrips) {
  for (double rate : {8000.0, 11025.0, 44100.0, 96000.0, 192000.0, -44100.0, 0.25}) {
    EXPECT_EQ(extended80ToDouble(test::rate80(rate).data()), rate);
  }
}

}  // namespace
}  // namespace tarnwick
