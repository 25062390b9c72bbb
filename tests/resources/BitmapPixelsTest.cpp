// What the pictures must get right for the editor: fields where the labels and displays draw, matching
// pieces of background, one-bit bars, told-apart states and lamps.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/resources/BitmapHelpers.h"

namespace tarnwick::testing {
namespace {

const BitmapResource& get(int32_t id) {
  const BitmapResource* b = findBitmapResource(id);
  if (!b) throw std::runtime_error("missing bitmap " + std::to_string(id));
  return *b;
}

double meanLuminance(const BitmapResource& b, int x0, int y0, int x1, int y1) {
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) sum += luminance(pixelAt(b, x, y));
  return sum / ((x1 - x0) * (y1 - y0));
}

bool regionEquals(const BitmapResource& big, int left, int top, const BitmapResource& part) {
  for (int y = 0; y < part.height; ++y)
    for (int x = 0; x < part.width; ++x)
      if (pixelAt(big, left + x, top + y) != pixelAt(part, x, y)) return false;
  return true;
}

// The rows of a region that hold text: pixels brighter than `ink` (a luminance), or when it is 0, brighter
// than the region's median (its ground) by `contrast` to 1; first and last such row, -1 when none.
struct Ink {
  int top = -1, bottom = -1;
  double ground = 0, brightest = 0;
};
Ink inkIn(const BitmapResource& b, int x0, int y0, int x1, int y1, double contrast, double ink = 0) {
  std::vector<double> all;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) all.push_back(luminance(pixelAt(b, x, y)));
  std::vector<double> sorted = all;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
  Ink found;
  found.ground = sorted[sorted.size() / 2];
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double l = all[static_cast<size_t>((y - y0) * (x1 - x0) + (x - x0))];
      found.brightest = std::max(found.brightest, l);
      const bool text = ink > 0 ? l >= ink : l > found.ground && contrastRatio(l, found.ground) >= contrast;
      if (!text) continue;
      if (found.top < 0) found.top = y;
      found.bottom = y;
    }
  }
  return found;
}

TEST(BitmapPixels, WindowPicturesAreOpaque) {
  for (int32_t id : {128, 137}) {
    const BitmapResource& b = get(id);
    for (int y = 0; y < b.height; ++y)
      for (int x = 0; x < b.width; ++x) ASSERT_EQ(alphaOf(pixelAt(b, x, y)), 255) << id << " at " << x << "," << y;
  }
}

TEST(BitmapPixels, AlphaIsAllOrNothing) {
  // A toolkit that masks rather than blends must show the same edges.
  for (int32_t i = 0; i < 400; ++i) {
    const BitmapResource* b = findBitmapResource(i);
    if (!b) continue;
    for (int p = 0; p < b->width * b->height; ++p) {
      const int a = alphaOf(b->pixels[p]);
      ASSERT_TRUE(a == 0 || a == 255) << "id " << i << " pixel " << p;
    }
  }
}

TEST(BitmapPixels, LabelFieldsSuitTheLabelsTextColours) {
  const BitmapResource& bg = get(128);
  // Status label: light grey (200, 200, 200) text on a dark field.
  const double status = meanLuminance(bg, 16, 14, 469, 28);
  EXPECT_GE(contrastRatio(status, luminance(0xFFC8C8C8)), 7.0);
  // Key label: black text (red for the master row) on a light field.
  const double key = meanLuminance(bg, 485, 15, 541, 28);
  EXPECT_GE(contrastRatio(key, luminance(0xFF000000)), 7.0);
  EXPECT_GE(contrastRatio(key, luminance(0xFFC65152)), 2.5);
}

TEST(BitmapPixels, WaveFieldEdgesMatchTheDisplaysBlackClear) {
  // The display clears (12, 61)-(543, 118) to black when empty; the picture there must not jump.
  const BitmapResource& bg = get(128);
  for (int x = 12; x < 543; ++x) {
    EXPECT_EQ(pixelAt(bg, x, 61), 0xFF000000u) << x;
    EXPECT_EQ(pixelAt(bg, x, 117), 0xFF000000u) << x;
  }
  for (int y = 61; y < 118; ++y) {
    EXPECT_EQ(pixelAt(bg, 12, y), 0xFF000000u) << y;
    EXPECT_EQ(pixelAt(bg, 542, y), 0xFF000000u) << y;
  }
}

TEST(BitmapPixels, KnobAndFaderSizeBitmapsShowTheBackgroundUnderThem) {
  const BitmapResource& bg = get(128);
  EXPECT_TRUE(regionEquals(bg, 471, 292, get(157)));
  EXPECT_TRUE(regionEquals(bg, 480, 133, get(129)));
}

TEST(BitmapPixels, BarBackgroundIsStrictlyOneBitWithAColumnGrid) {
  const BitmapResource& bars = get(178);
  std::set<uint32_t> colours;
  for (int y = 0; y < bars.height; ++y)
    for (int x = 0; x < bars.width; ++x) colours.insert(pixelAt(bars, x, y));
  EXPECT_EQ(colours, (std::set<uint32_t>{0xFF000000u, 0xFFFFFFFFu}));
  // A line between every two of the 32 columns of 14 pixels, and none through a column's middle.
  for (int c = 1; c < 32; ++c) {
    int white = 0, middle = 0;
    for (int y = 0; y < bars.height; ++y) {
      white += pixelAt(bars, 14 * c, y) == 0xFFFFFFFFu;
      middle += pixelAt(bars, 14 * c + 7, y) == 0xFFFFFFFFu;
    }
    EXPECT_GE(white, 20) << "column " << c;
    EXPECT_LE(middle, 5) << "column " << c;
  }
  // Each bar may draw it from offset (0, 0) or from its own column: both must look alike.
  for (int y = 0; y < bars.height; ++y)
    for (int x = 14; x < bars.width; ++x) ASSERT_EQ(pixelAt(bars, x, y), pixelAt(bars, x - 14, y)) << x << "," << y;
}

TEST(BitmapPixels, StackedStatesDiffer) {
  for (int32_t id : {135, 139, 140, 141, 160, 161, 163, 173, 174, 142, 152, 159, 166, 168, 171})
    EXPECT_TRUE(halvesDiffer(get(id))) << id;
}

TEST(BitmapPixels, HighlightsDifferFromTheirControlsBitmaps) {
  const std::pair<int32_t, int32_t> pairs[] = {{170, 148}, {172, 149}, {173, 152}, {135, 171},
                                               {139, 142}, {160, 159}, {161, 166}, {163, 168}};
  for (const auto& [own, highlight] : pairs) {
    const BitmapResource &a = get(own), &b = get(highlight);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_FALSE(samePixels(a, b)) << own << " / " << highlight;
  }
}

TEST(BitmapPixels, ButtonsAreOpaqueInsideWithClearCorners) {
  for (int32_t id : {135, 139, 140, 141, 148, 149, 152, 159, 160, 161, 163, 166, 168, 170, 171, 172, 173, 174}) {
    const BitmapResource& b = get(id);
    EXPECT_EQ(alphaOf(pixelAt(b, 0, 0)), 0) << id;
    EXPECT_EQ(alphaOf(pixelAt(b, b.width / 2, b.height / 4)), 255) << id;
  }
}

// MOVE, MORPH and TRIGGER: their labels the same height, on the same line of the window (the keys lie at
// y 42, 38 and 39), in both states and hovered.
TEST(BitmapPixels, ModeSwitchLabelsShareOneSizeAndLine) {
  struct Key {
    int32_t id, top;
  };
  for (const Key& key : {Key{160, 42}, Key{161, 38}, Key{139, 39}, Key{159, 42}, Key{166, 38}, Key{142, 39}}) {
    const BitmapResource& b = get(key.id);
    const int half = b.height / 2;
    for (int state = 0; state < 2; ++state) {
      // Right of the lamp and inside the rims: the label alone, far brighter than the key.
      const Ink ink = inkIn(b, 12, state * half + 1, b.width - 2, (state + 1) * half - 1, 0, 0.3);
      ASSERT_GE(ink.top, 0) << key.id;
      EXPECT_EQ(ink.bottom - ink.top + 1, 7) << key.id << " state " << state;
      EXPECT_EQ(key.top + ink.bottom - state * half, 49) << key.id << " state " << state;
    }
  }
}

// The captions under and over controls ("edit key", "buffer start", the copy and paste keys): tall enough
// and bright enough on the panel to read.
TEST(BitmapPixels, CaptionsAreLegible) {
  const BitmapResource& bg = get(128);
  struct Caption {
    const char* what;
    int x0, y0, x1, y1;
  };
  for (const Caption& c : {Caption{"edit key", 486, 0, 540, 13}, Caption{"buffer start", 13, 124, 110, 134},
                           Caption{"copy and paste", 15, 344, 340, 355}}) {
    const Ink ink = inkIn(bg, c.x0, c.y0, c.x1, c.y1, 2.0);
    ASSERT_GE(ink.top, 0) << c.what;
    EXPECT_GE(contrastRatio(ink.brightest, ink.ground), 4.5) << c.what;
    EXPECT_GE(ink.bottom - ink.top + 1, 8) << c.what;
  }
}

TEST(BitmapPixels, BarHandleStatesAreAllDifferent) {
  const int32_t states[] = {130, 153, 154, 155};
  for (int32_t a : states)
    for (int32_t b : states)
      if (a < b) {
        EXPECT_FALSE(samePixels(get(a), get(b))) << a << " / " << b;
      }
  // Unhovered handles leave a clear pixel column on each side so neighbouring bars stay apart.
  for (int32_t id : {130, 153})
    for (int y = 0; y < 7; ++y) {
      EXPECT_EQ(alphaOf(pixelAt(get(id), 0, y)), 0);
      EXPECT_EQ(alphaOf(pixelAt(get(id), 13, y)), 0);
    }
}

TEST(BitmapPixels, OverlayHandleIsInvisible) {
  // The overlay's handle always sits in the first column, over bar 1's own handle.
  const BitmapResource& b = get(179);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) EXPECT_EQ(alphaOf(pixelAt(b, x, y)), 0);
}

TEST(BitmapPixels, MeterLampsLightGreenAtTheBottomAndRedAtTheTop) {
  const BitmapResource &on = get(146), &off = get(147);
  int lampRows = 0, firstLamp = -1, lastLamp = -1;
  for (int y = 0; y < on.height; ++y) {
    const uint32_t lit = pixelAt(on, 8, y), dark = pixelAt(off, 8, y);
    if (lit == dark) continue;
    ++lampRows;
    if (firstLamp < 0) firstLamp = y;
    lastLamp = y;
    EXPECT_GT(luminance(lit), 2 * luminance(dark)) << "row " << y;
  }
  EXPECT_GE(lampRows, 24);
  const uint32_t top = pixelAt(on, 8, firstLamp), bottom = pixelAt(on, 8, lastLamp);
  EXPECT_GT(redOf(top), 2 * greenOf(top));
  EXPECT_GT(greenOf(bottom), 2 * redOf(bottom));
  // No two lit rows touch: wherever the meter cuts, it never shows half a lamp.
  for (int y = 1; y < on.height; ++y)
    EXPECT_FALSE(pixelAt(on, 8, y) != pixelAt(off, 8, y) && pixelAt(on, 8, y - 1) != pixelAt(off, 8, y - 1)) << y;
}

}  // namespace
}  // namespace tarnwick::testing
