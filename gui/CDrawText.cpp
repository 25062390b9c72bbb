// Text drawing of the draw context with the embedded glyph atlas.
#include <algorithm>
#include <cstddef>

#include "gui/Blend.h"
#include "gui/CDrawContext.h"
#include "gui/Utf8.h"
#include "gui/font/FontAtlas.h"

namespace tarnwick::gui {

namespace {

constexpr CCoord kFontSizes[kNumStandardFonts] = {12, 18, 14, 12, 11, 10, 9, 13};

const font::Face& faceOf(CCoord size, int32_t face, int32_t scaleHalves = 2) {
  return font::findFace(size, (face & kBoldFace ? 1 : 0) | (face & kItalicFace ? 2 : 0), scaleHalves);
}

// Width of the string (UTF-8) in 1/64 pixel.
int64_t advanceOf(const font::Face& face, const char* string) {
  int64_t pen = 0;
  for (const char* p = string; *p;) pen += font::glyphFor(face, nextCodePoint(p)).advance;
  return pen;
}

}  // namespace

CCoord fontPixelSize(int32_t font) {
  return (font >= 0 && font < kNumStandardFonts) ? kFontSizes[font] : kFontSizes[kNormalFont];
}

void CDrawContext::setFont(CFont font, CCoord size, int32_t face) {
  font_ = font;
  fontSize_ = size > 0 ? faceOf(size, face).pixelSize : fontPixelSize(font);
  fontFace_ = face;
}

CCoord CDrawContext::getStringWidth(const char* string) const {
  if (string == nullptr) return 0;
  return static_cast<CCoord>((advanceOf(faceOf(fontSize_, fontFace_), string) + 63) / 64);
}

void CDrawContext::drawString(const char* string, const CRect& rect, bool opaque, CHoriTxtAlign hAlign) {
  if (opaque) fillRect(CRect(rect.left - 1, rect.top - 1, rect.right, rect.bottom));
  if (string == nullptr || *string == '\0') return;
  // Laid out in buffer pixels with the glyphs drawn for this scale (at 1x a pixel is a device coordinate).
  const font::Face& face = faceOf(fontSize_, fontFace_, scaleHalves_);
  const CRect box(toPixel(int64_t{rect.left} + offset_.x), toPixel(int64_t{rect.top} + offset_.y),
                  toPixel(int64_t{rect.right} + offset_.x), toPixel(int64_t{rect.bottom} + offset_.y));
  const CCoord width = static_cast<CCoord>((advanceOf(face, string) + 63) / 64);
  CCoord x = box.left;
  if (hAlign == kCenterText) x = box.left + (box.width() - width) / 2;
  if (hAlign == kRightText) x = box.right - width;
  const CCoord baseline = box.top + (box.height() - (face.ascent + face.descent)) / 2 + face.ascent;

  // Text stays inside its rectangle as well as inside the clip.
  CRect c = pixelClip();
  c.bound(box);
  const uint32_t color = fontColor_.toArgb();

  int64_t pen = int64_t{x} * 64;
  const int32_t base = baseline;
  for (const char* p = string; *p;) {
    const font::Glyph& g = font::glyphFor(face, nextCodePoint(p));
    const int32_t gx = static_cast<int32_t>((pen + 32) >> 6) + g.left;
    const int32_t gy = base + g.top;
    const uint8_t* cover = face.coverage + g.offset;
    const int32_t y0 = std::max(gy, c.top), y1 = std::min<int32_t>(gy + g.height, c.bottom);
    const int32_t x0 = std::max(gx, c.left), x1 = std::min<int32_t>(gx + g.width, c.right);
    for (int32_t y = y0; y < y1; ++y) {
      uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
      const uint8_t* crow = cover + static_cast<ptrdiff_t>(y - gy) * g.width;
      for (int32_t px = x0; px < x1; ++px) {
        const uint8_t k = crow[px - gx];
        if (k != 0) row[px] = blend::over(blend::withCoverage(color, k), row[px]);
      }
    }
    pen += g.advance;
  }
  if (fontFace_ & kUnderlineFace) {
    const int32_t thickness = std::max(1, scaleHalves_ / 2);
    for (int32_t k = 0; k < thickness; ++k) {
      const int32_t y = base + std::max(1, face.descent / 2) + k;
      if (y >= c.top && y < c.bottom) {
        uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
        for (int32_t px = std::max(x, c.left); px <= std::min(x + width - 1, c.right - 1); ++px)
          row[px] = blend::over(color, row[px]);
      }
    }
  }
}

}  // namespace tarnwick::gui
