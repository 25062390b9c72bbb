// Every 8- and 16-bit sample value, and a sweep of 24-bit values, equal the reference formulas
// computed in double precision and rounded to float.
#include <gtest/gtest.h>

#include "tests/storage/DecodeHelpers.h"

namespace tarnwick {
namespace {

using test::Bytes;
using test::ByteWriter;

Bytes aifc(int16_t channels, int16_t bits, const char* compression, const Bytes& samples) {
  const uint32_t frames = uint32_t(samples.size() / size_t(channels * bits / 8));
  return test::form(ByteWriter(true)
                        .chunk("COMM", test::aifcCommBody(channels, frames, bits, compression))
                        .chunk("SSND", test::ssndBody(0, samples))
                        .data(),
                    "AIFC");
}

// Decodes the image and compares both channels with expected (interleaved for stereo).
void expectExactly(const Bytes& image, int channels, const std::vector<double>& expected) {
  ChannelPair out;
  ASSERT_EQ(test::decode(image, out), kStorageOk);
  ASSERT_EQ(size_t(out.frameCount) * size_t(channels), expected.size());
  size_t mismatches = 0;
  for (size_t i = 0; i < size_t(out.frameCount); ++i) {
    const float left = float(expected[i * size_t(channels)]);
    const float right = float(expected[i * size_t(channels) + size_t(channels - 1)]);
    if (out.left[i] != left || out.right[i] != right) {
      if (++mismatches <= 3) ADD_FAILURE() << "frame " << i << ": " << out.left[i] << " != " << left;
    }
  }
  EXPECT_EQ(mismatches, 0u);
  EXPECT_EQ(out.left[out.frameCount], 0.0f);
  EXPECT_EQ(out.right[out.frameCount], 0.0f);
}

TEST(SampleExactnessTest, EveryEightBitValue) {
  Bytes samples;
  std::vector<double> wavExpected;
  std::vector<double> aiffExpected;
  for (int u = 0; u < 256; ++u) {
    samples.push_back(uint8_t(u));
    wavExpected.push_back(u / 128.0 - 1.0);
    aiffExpected.push_back(int8_t(u) / 128.0);
  }
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    expectExactly(test::wav(uint16_t(channels), 8, samples), channels, wavExpected);
    expectExactly(test::aiff(int16_t(channels), 8, samples), channels, aiffExpected);
  }
}

TEST(SampleExactnessTest, EverySixteenBitValueInEveryByteOrder) {
  Bytes little;
  Bytes big;
  std::vector<double> expected;
  for (int s = -32768; s < 32768; ++s) {
    little.insert(little.end(), {uint8_t(s), uint8_t(s >> 8)});
    big.insert(big.end(), {uint8_t(s >> 8), uint8_t(s)});
    expected.push_back(s / 32767.0);
  }
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    expectExactly(test::wav(uint16_t(channels), 16, little), channels, expected);
    expectExactly(test::aiff(int16_t(channels), 16, big), channels, expected);
    expectExactly(aifc(int16_t(channels), 16, "NONE", big), channels, expected);
    expectExactly(aifc(int16_t(channels), 16, "sowt", little), channels, expected);
  }
}

TEST(SampleExactnessTest, TwentyFourBitSweepInEveryByteOrder) {
  Bytes little;
  Bytes big;
  std::vector<double> expected;
  // Every high byte and every low byte, with a changing middle byte; odd count for the tails.
  for (int32_t value = -(1 << 23); value < (1 << 23); value += 257) {
    little.insert(little.end(), {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)});
    big.insert(big.end(), {uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
    expected.push_back(value * 256.0 / 2147483648.0);
  }
  if (expected.size() % 2) {
    little.resize(little.size() - 3);
    big.resize(big.size() - 3);
    expected.pop_back();
  }
  for (int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    expectExactly(test::wav(uint16_t(channels), 24, little), channels, expected);
    expectExactly(test::aiff(int16_t(channels), 24, big), channels, expected);
    expectExactly(aifc(int16_t(channels), 24, "sowt", little), channels, expected);
  }
}

}  // namespace
}  // namespace tarnwick
