// Conversion of toolkit pixels into visual layouts, without a server.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/X11Support.h"

namespace tarnwick::platform::x11 {
namespace {

TEST(PixelLayout, RefusesMasksNoTrueColourVisualHas) {
  PixelLayout layout;
  EXPECT_FALSE(layout.init(0, 0xFF00, 0xFF, 24, 32));           // empty
  EXPECT_FALSE(layout.init(0xFF0F00, 0x00F000, 0xFF, 24, 32));  // hole in red
  EXPECT_FALSE(layout.init(0xFF0000, 0xFFFF00, 0xFF, 24, 32));  // overlap
  EXPECT_FALSE(layout.init(0xFF000000, 0xFF00, 0xFF, 24, 32));  // beyond the depth
  EXPECT_FALSE(layout.init(0xFF0000, 0xFF00, 0xFF, 24, 12));    // no such pixel size
  EXPECT_FALSE(layout.init(0xFF0000, 0xFF00, 0xFF, 33, 32));
  EXPECT_FALSE(layout.init(0xFFFFE000u, 0xF00, 0xFF, 32, 32));  // a 19-bit channel
  EXPECT_TRUE(layout.init(0xFF0000, 0xFF00, 0xFF, 24, 32));
}

TEST(PixelLayout, CommonLayoutKeepsColoursAndSetsTheAlphaOfDepth32) {
  PixelLayout rgb24, argb32;
  ASSERT_TRUE(rgb24.init(0xFF0000, 0xFF00, 0xFF, 24, 32));
  ASSERT_TRUE(argb32.init(0xFF0000, 0xFF00, 0xFF, 32, 32));
  for (const uint32_t c : {0x00000000u, 0x00123456u, 0xFFFFFFFFu, 0x7FABCDEFu}) {
    EXPECT_EQ(rgb24.encode(c), c & 0xFFFFFFu);
    EXPECT_EQ(argb32.encode(c), (c & 0xFFFFFFu) | 0xFF000000u);
    EXPECT_EQ(rgb24.decode(rgb24.encode(c)), c & 0xFFFFFFu);
  }
}

TEST(PixelLayout, NarrowAndWideChannelsRoundToTheNearestLevel) {
  PixelLayout rgb565, bgr30;
  ASSERT_TRUE(rgb565.init(0xF800, 0x07E0, 0x001F, 16, 16));
  ASSERT_TRUE(bgr30.init(0x3FF, 0xFFC00, 0x3FF00000, 30, 32));
  EXPECT_EQ(rgb565.encode(0xFFFFFF), 0xFFFFu);
  EXPECT_EQ(rgb565.encode(0xFF0000), 0xF800u);
  EXPECT_EQ(rgb565.encode(0x000000), 0x0000u);
  EXPECT_EQ(rgb565.encode(0x0000FF), 0x001Fu);
  EXPECT_EQ(rgb565.encode(0x000004), 0x0000u);  // 4/255 is nearer 0 than 1/31
  EXPECT_EQ(rgb565.encode(0x000005), 0x0001u);
  EXPECT_EQ(bgr30.encode(0xFF0000), 0x3FFu);
  EXPECT_EQ(bgr30.encode(0x0000FF), 0x3FF00000u);
  for (uint32_t v = 0; v < 256; ++v) {
    const uint32_t grey = v * 0x010101u;
    EXPECT_EQ(bgr30.decode(bgr30.encode(grey)), grey) << v;
    const uint32_t back = rgb565.decode(rgb565.encode(grey));
    for (int shift = 0; shift <= 16; shift += 8) {
      const int error = static_cast<int>((back >> shift) & 0xFF) - static_cast<int>(v);
      EXPECT_LE(error < 0 ? -error : error, 5) << v;
    }
  }
}

TEST(PixelLayout, RowsAreWrittenInTheImageByteOrder) {
  PixelLayout rgb24, rgb565, packed;
  ASSERT_TRUE(rgb24.init(0xFF0000, 0xFF00, 0xFF, 24, 32));
  ASSERT_TRUE(rgb565.init(0xF800, 0x07E0, 0x001F, 16, 16));
  ASSERT_TRUE(packed.init(0xFF0000, 0xFF00, 0xFF, 24, 24));
  const uint32_t row[2] = {0x00112233u, 0x00FFFFFFu};
  std::vector<uint8_t> out(8, 0xEE);
  rgb24.encodeRow(row, 2, out.data(), false);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x33, 0x22, 0x11, 0x00, 0xFF, 0xFF, 0xFF, 0x00}));
  rgb24.encodeRow(row, 2, out.data(), true);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x00, 0x11, 0x22, 0x33, 0x00, 0xFF, 0xFF, 0xFF}));
  std::vector<uint8_t> out16(5, 0xEE);
  rgb565.encodeRow(row + 1, 2 - 1, out16.data(), false);
  rgb565.encodeRow(row + 1, 1, out16.data() + 2, true);
  EXPECT_EQ(out16, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xEE}));  // nothing past the row
  std::vector<uint8_t> out24(7, 0xEE);
  packed.encodeRow(row, 2, out24.data(), true);
  EXPECT_EQ(out24, (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xFF, 0xFF, 0xFF, 0xEE}));
}

}  // namespace
}  // namespace tarnwick::platform::x11
