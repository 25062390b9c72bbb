// The compressed form in which the bitmaps are compiled in, and its decoder.
#pragma once

#include <cstdint>
#include <vector>

namespace tarnwick {

// One bitmap as the generator writes it: a palette of 0xAARRGGBB colours and, row by row from the top,
// (run length, palette index) pairs, each an unsigned LEB128 number, whose lengths add up to the width; a row
// that is a single 0 instead repeats the row above.
struct EncodedBitmap {
  int32_t id;
  int32_t width;
  int32_t height;
  const uint32_t* palette;
  int32_t paletteSize;
  const uint8_t* runs;
  int32_t runBytes;
};

// Generated at build time, sorted by id.
extern const EncodedBitmap kEncodedBitmaps[];
extern const int32_t kEncodedBitmapCount;

// The same bitmaps drawn at a larger scale (halves: 3 = 1.5x, 4 = 2x), sorted by id; their sizes are the
// 1x sizes times the scale, rounded up.
struct EncodedScale {
  int32_t halves;
  const EncodedBitmap* bitmaps;
  int32_t count;
};
extern const EncodedScale kEncodedScales[];
extern const int32_t kEncodedScaleCount;

// Expands the runs into width × height pixels. False, with `pixels` cleared, when the data does not describe
// exactly that many pixels (a run past the end of a row, an index outside the palette, a repeat in the first row,
// truncated or extra bytes).
bool decodeBitmap(const EncodedBitmap& encoded, std::vector<uint32_t>& pixels);

}  // namespace tarnwick
