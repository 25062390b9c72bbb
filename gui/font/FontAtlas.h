// Pre-rasterised glyphs of the embedded font (DejaVu Sans), generated at build time by FontAtlasGen.
#pragma once

#include <cstdint>

namespace tarnwick::gui::font {

constexpr int32_t kFirstChar = 32;  // glyphs cover the printable ASCII characters 32..126
constexpr int32_t kLastChar = 126;
constexpr int32_t kGlyphCount = kLastChar - kFirstChar + 1;

struct Glyph {
  int16_t left;    // pixels from the pen position to the coverage box
  int16_t top;     // pixels from the baseline to the box's top row (negative above the baseline)
  uint16_t width;  // coverage box
  uint16_t height;
  int32_t advance;  // pen advance in 1/64 pixel
  uint32_t offset;  // first coverage byte in Face::coverage
};

struct Face {
  int32_t pixelSize;        // em height in pixels
  int32_t style;            // bit 0 bold, bit 1 oblique
  int32_t ascent;           // pixels above the baseline (rounded up)
  int32_t descent;          // pixels below the baseline (rounded up)
  const Glyph* glyphs;      // kGlyphCount entries
  const uint8_t* coverage;  // 0..255 per pixel, row by row per glyph
};

extern const Face kFaces[];
extern const int32_t kFaceCount;

// The face of the given style (bit 0 bold, bit 1 oblique) whose size is nearest pixelSize (the smaller
// one on a tie).
const Face& findFace(int32_t pixelSize, int32_t style);

// The glyph for a code point; characters the atlas lacks (and kInvalidUtf8) are drawn as '?'.
inline const Glyph& glyphFor(const Face& face, char32_t c) {
  const int32_t index = (c >= kFirstChar && c <= kLastChar) ? static_cast<int32_t>(c) - kFirstChar : '?' - kFirstChar;
  return face.glyphs[index];
}

}  // namespace tarnwick::gui::font
