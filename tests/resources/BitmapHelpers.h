// Small pixel helpers shared by the bitmap tests.
#pragma once

#include <cstdint>

#include "resources/BitmapResources.h"

namespace tarnwick::testing {

inline uint32_t pixelAt(const BitmapResource& b, int x, int y) {
  return b.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(b.width) + static_cast<std::size_t>(x)];
}
inline int alphaOf(uint32_t p) { return static_cast<int>(p >> 24); }
inline int redOf(uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int greenOf(uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int blueOf(uint32_t p) { return static_cast<int>(p & 0xFF); }

// Relative luminance (0..1) of an sRGB colour, for contrast ratios as readers perceive them.
double luminance(uint32_t p);
inline double contrastRatio(double a, double b) { return a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05); }

// True when the two halves of a vertically stacked bitmap differ somewhere.
bool halvesDiffer(const BitmapResource& b);
bool samePixels(const BitmapResource& a, const BitmapResource& b);

}  // namespace tarnwick::testing
