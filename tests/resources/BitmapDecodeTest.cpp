// The run-length decoder: exact expansion, and refusal of every kind of malformed data.
#include <gtest/gtest.h>

#include <vector>

#include "resources/EncodedBitmap.h"

namespace tarnwick {
namespace {

const uint32_t kPalette[] = {0xFF000000u, 0xFFFFFFFFu, 0x00000000u};

bool decode(int32_t width, int32_t height, const std::vector<uint8_t>& runs, std::vector<uint32_t>& out) {
  const EncodedBitmap e{1, width, height, kPalette, 3, runs.data(), static_cast<int32_t>(runs.size())};
  return decodeBitmap(e, out);
}

TEST(BitmapDecode, ExpandsRunsAndRepeatedRows) {
  std::vector<uint32_t> px;
  // Row 0: 2 × black, 1 × white; row 1: repeat; row 2: 3 × clear.
  ASSERT_TRUE(decode(3, 3, {2, 0, 1, 1, 0, 3, 2}, px));
  EXPECT_EQ(px, (std::vector<uint32_t>{0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0,
                                       0, 0}));
}

TEST(BitmapDecode, ReadsMultiByteNumbers) {
  std::vector<uint32_t> px;
  ASSERT_TRUE(decode(200, 1, {0xC8, 0x01, 1}, px));  // one run of 200
  EXPECT_EQ(px, std::vector<uint32_t>(200, 0xFFFFFFFFu));
}

TEST(BitmapDecode, RefusesMalformedData) {
  const struct {
    const char* what;
    int32_t width, height;
    std::vector<uint8_t> runs;
  } cases[] = {
      {"run past the row end", 3, 1, {4, 0}},
      {"run across two rows", 2, 2, {3, 0, 1, 0}},
      {"zero-length run inside a row", 3, 1, {1, 0, 0, 0, 2, 0}},
      {"repeat as the first row", 2, 1, {0}},
      {"index outside the palette", 2, 1, {2, 3}},
      {"truncated pair", 2, 1, {2}},
      {"too few rows", 2, 2, {2, 0}},
      {"bytes left over", 2, 1, {2, 0, 0}},
      {"unterminated number", 2, 1, {0x82, 0x80}},
      {"number wider than 32 bits", 2, 1, {0x82, 0x80, 0x80, 0x80, 0x10, 0}},
      {"no rows", 0, 0, {}},
      {"negative size", -1, 1, {1, 0}},
  };
  for (const auto& c : cases) {
    std::vector<uint32_t> px{1, 2, 3};
    EXPECT_FALSE(decode(c.width, c.height, c.runs, px)) << c.what;
    EXPECT_TRUE(px.empty()) << c.what;
  }
}

TEST(BitmapDecode, RefusesMissingArrays) {
  std::vector<uint32_t> px;
  const uint8_t runs[] = {1, 0};
  EXPECT_FALSE(decodeBitmap(EncodedBitmap{1, 1, 1, nullptr, 3, runs, 2}, px));
  EXPECT_FALSE(decodeBitmap(EncodedBitmap{1, 1, 1, kPalette, 3, nullptr, 2}, px));
  EXPECT_FALSE(decodeBitmap(EncodedBitmap{1, 1, 1, kPalette, 0, runs, 2}, px));
}

TEST(BitmapDecode, EveryCompiledBitmapDecodes) {
  for (int32_t i = 0; i < kEncodedBitmapCount; ++i) {
    std::vector<uint32_t> px;
    EXPECT_TRUE(decodeBitmap(kEncodedBitmaps[i], px)) << kEncodedBitmaps[i].id;
    EXPECT_EQ(px.size(),
              static_cast<std::size_t>(kEncodedBitmaps[i].width) * static_cast<std::size_t>(kEncodedBitmaps[i].height));
  }
}

}  // namespace
}  // namespace tarnwick
