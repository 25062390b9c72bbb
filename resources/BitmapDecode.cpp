// Run-length decoding of the compiled-in bitmaps, checked against every bound.
#include "resources/EncodedBitmap.h"

#include <algorithm>

namespace tarnwick {

namespace {

// Reads one LEB128 number of at most 32 bits; false past the end of the data or on an overlong number.
bool readNumber(const uint8_t* data, int32_t size, int32_t& at, uint32_t& value) {
  value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    if (at >= size) return false;
    const uint8_t byte = data[at++];
    if (shift == 28 && (byte & 0x70) != 0) return false;
    value |= uint32_t{byte & 0x7Fu} << shift;
    if ((byte & 0x80) == 0) return true;
  }
  return false;
}

}  // namespace

bool decodeBitmap(const EncodedBitmap& e, std::vector<uint32_t>& pixels) {
  pixels.clear();
  if (e.width <= 0 || e.height <= 0 || e.width > 4096 || e.height > 4096 || e.paletteSize <= 0 || e.runBytes < 0 ||
      !e.palette || (!e.runs && e.runBytes > 0))
    return false;
  pixels.resize(static_cast<std::size_t>(e.width) * static_cast<std::size_t>(e.height));
  int32_t at = 0;
  std::size_t out = 0;
  const std::size_t width = static_cast<std::size_t>(e.width);
  for (int32_t y = 0; y < e.height; ++y) {
    if (y > 0 && at < e.runBytes && e.runs[at] == 0) {
      ++at;
      std::copy(pixels.begin() + static_cast<std::ptrdiff_t>(out - width),
                pixels.begin() + static_cast<std::ptrdiff_t>(out), pixels.begin() + static_cast<std::ptrdiff_t>(out));
      out += width;
      continue;
    }
    uint32_t left = static_cast<uint32_t>(e.width);
    while (left > 0) {
      uint32_t length = 0, index = 0;
      if (!readNumber(e.runs, e.runBytes, at, length) || !readNumber(e.runs, e.runBytes, at, index) || length == 0 ||
          length > left || index >= static_cast<uint32_t>(e.paletteSize)) {
        pixels.clear();
        return false;
      }
      const uint32_t colour = e.palette[index];
      for (uint32_t k = 0; k < length; ++k) pixels[out++] = colour;
      left -= length;
    }
  }
  if (at != e.runBytes) {
    pixels.clear();
    return false;
  }
  return true;
}

}  // namespace tarnwick
