// Pre-rasterised glyphs of the embedded font (DejaVu Sans), generated at build time by FontAtlasGen.
#pragma once

#include <cstdint>

namespace tarnwick::gui::font {

// Glyphs cover printable ASCII (32..126), then Latin-1 Supplement and Latin Extended-A (160..383): most
// European names in file paths. FontAtlasGen rasterises the same ranges.
constexpr int32_t kFirstChar = 32;
constexpr int32_t kLastChar = 126;
constexpr int32_t kFirstLatin = 160;
constexpr int32_t kLastLatin = 383;
constexpr int32_t kGlyphCount = (kLastChar - kFirstChar + 1) + (kLastLatin - kFirstLatin + 1);

struct Glyph {
  int16_t left;    // pixels from the pen position to the coverage box
  int16_t top;     // pixels from the baseline to the box's top row (negative above the baseline)
  uint16_t width;  // coverage box
  uint16_t height;
  int32_t advance;  // pen advance in 1/64 pixel
  uint32_t offset;  // first coverage byte in Face::coverage
};

// Every size is also carried at the editor's larger scales: its glyphs then have size × scale pixels and
// all metrics below are in those pixels.
struct Face {
  int32_t pixelSize;        // em height in pixels at 1x
  int32_t style;            // bit 0 bold, bit 1 oblique
  int32_t ascent;           // pixels above the baseline (rounded up)
  int32_t descent;          // pixels below the baseline (rounded up)
  const Glyph* glyphs;      // kGlyphCount entries
  const uint8_t* coverage;  // 0..255 per pixel, row by row per glyph
  int32_t scaleHalves;      // 2 = 1x, 3 = 1.5x, 4 = 2x
};

extern const Face kFaces[];
extern const int32_t kFaceCount;

// The face of the given style (bit 0 bold, bit 1 oblique) whose size is nearest pixelSize (the smaller
// one on a tie), drawn at the scale in halves (2 = 1x; a scale the atlas lacks gives 1x).
const Face& findFace(int32_t pixelSize, int32_t style, int32_t scaleHalves = 2);

// The glyph for a code point; characters the atlas lacks (and kInvalidUtf8) are drawn as '?'.
inline const Glyph& glyphFor(const Face& face, char32_t c) {
  int32_t index = '?' - kFirstChar;
  if (c >= kFirstChar && c <= kLastChar) index = static_cast<int32_t>(c) - kFirstChar;
  if (c >= kFirstLatin && c <= kLastLatin) index = (kLastChar - kFirstChar + 1) + static_cast<int32_t>(c) - kFirstLatin;
  return face.glyphs[index];
}

}  // namespace tarnwick::gui::font
