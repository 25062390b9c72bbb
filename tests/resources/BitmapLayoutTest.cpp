// Every bitmap the editor layout loads exists with its exact size; unknown ids give nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "resources/EncodedBitmap.h"
#include "tests/resources/BitmapHelpers.h"

namespace tarnwick::testing {

double luminance(uint32_t p) {
  auto lin = [](int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(redOf(p)) + 0.7152 * lin(greenOf(p)) + 0.0722 * lin(blueOf(p));
}

bool halvesDiffer(const BitmapResource& b) {
  const std::size_t half = static_cast<std::size_t>(b.width) * static_cast<std::size_t>(b.height / 2);
  return std::memcmp(b.pixels, b.pixels + half, half * sizeof(uint32_t)) != 0;
}

bool samePixels(const BitmapResource& a, const BitmapResource& b) {
  return a.width == b.width && a.height == b.height &&
         std::memcmp(a.pixels, b.pixels, static_cast<std::size_t>(a.width) * static_cast<std::size_t>(a.height) * 4) ==
             0;
}

namespace {

struct Expected {
  int32_t id, width, height;
};

// Ids and sizes the editor's layout and highlight tables name.
constexpr Expected kLayout[] = {
    {128, 554, 356}, {129, 20, 130}, {130, 14, 7},  {132, 14, 7},  {135, 40, 24}, {136, 452, 150}, {137, 554, 356},
    {139, 53, 34},   {140, 13, 34},  {141, 13, 34}, {142, 53, 34}, {146, 16, 56}, {147, 16, 56},   {148, 59, 16},
    {149, 74, 12},   {151, 9, 7},    {152, 74, 24}, {153, 14, 7},  {154, 14, 7},  {155, 14, 7},    {156, 9, 7},
    {157, 46, 45},   {158, 7, 10},   {159, 43, 18}, {160, 43, 18}, {161, 50, 34}, {163, 65, 24},   {166, 50, 34},
    {168, 65, 24},   {170, 59, 16},  {171, 40, 24}, {172, 74, 12}, {173, 74, 24}, {174, 67, 24},   {178, 448, 149},
    {179, 14, 7},    {180, 14, 7},
};

TEST(BitmapLayout, EveryLayoutIdHasItsExactSize) {
  for (const Expected& e : kLayout) {
    const BitmapResource* b = findBitmapResource(e.id);
    ASSERT_NE(b, nullptr) << "id " << e.id;
    EXPECT_EQ(b->id, e.id);
    EXPECT_EQ(b->width, e.width) << "id " << e.id;
    EXPECT_EQ(b->height, e.height) << "id " << e.id;
    EXPECT_NE(b->pixels, nullptr);
  }
}

TEST(BitmapLayout, RepeatedLookupsReturnTheSameRecord) {
  for (const Expected& e : kLayout) EXPECT_EQ(findBitmapResource(e.id), findBitmapResource(e.id));
}

TEST(BitmapLayout, UnknownAndUnusedIdsGiveNull) {
  const int32_t unknown[] = {std::numeric_limits<int32_t>::min(), -1, 0, 1, 127, 131, 181, 1000,
                             std::numeric_limits<int32_t>::max()};
  for (int32_t id : unknown) EXPECT_EQ(findBitmapResource(id), nullptr) << "id " << id;
  // The ids no control uses are left out rather than shipped as placeholders.
  const int32_t unused[] = {133, 134, 138, 143, 144, 145, 150, 162, 164, 165, 167, 169, 175, 176, 177};
  for (int32_t id : unused) EXPECT_EQ(findBitmapResource(id), nullptr) << "id " << id;
}

TEST(BitmapLayout, CompiledTableIsSortedAndHoldsOnlyLayoutIds) {
  ASSERT_EQ(kEncodedBitmapCount, static_cast<int32_t>(std::size(kLayout)));
  for (int32_t i = 0; i < kEncodedBitmapCount; ++i) {
    EXPECT_EQ(kEncodedBitmaps[i].id, kLayout[i].id);
    if (i > 0) {
      EXPECT_LT(kEncodedBitmaps[i - 1].id, kEncodedBitmaps[i].id);
    }
  }
}

}  // namespace
}  // namespace tarnwick::testing
