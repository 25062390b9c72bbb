// Turns the drawn bitmaps into the C++ source that the plug-in compiles: a palette and run-length rows each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/gen/Canvas.h"
#include "resources/gen/Catalogue.h"

namespace tarnwick::art {

struct EncodedImage {
  std::vector<uint32_t> palette;  // 0xAARRGGBB, in order of first appearance
  // Per row: (length, palette index) pairs as LEB128 numbers covering the row, or a single 0 that repeats
  // the row above.
  std::vector<uint8_t> runs;
};

// The bitmaps drawn again at a larger scale (halves: 3 = 1.5x, 4 = 2x), same ids in the same order.
struct ScaledCatalogue {
  int halves;
  Catalogue bitmaps;
};

EncodedImage encode(const Image& img);
std::string generatedSource(const Catalogue& all, const std::vector<ScaledCatalogue>& scaled = {});

}  // namespace tarnwick::art
