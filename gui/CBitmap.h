// Bitmaps: pixels from the application's resources or from memory, shared by reference counting.
#pragma once

#include <cstdint>
#include <vector>

#include "gui/CGeometry.h"
#include "gui/CReferenceCounter.h"

namespace tarnwick::gui {

class CDrawContext;

// Pixels of a bitmap by resource identifier; the application that owns the resources registers the
// lookup (the toolkit itself knows none).
struct BitmapPixels {
  int32_t width = 0;
  int32_t height = 0;
  const uint32_t* pixels = nullptr;  // stays valid for the life of the process
};
using BitmapLookup = bool (*)(int32_t resourceId, BitmapPixels& out);
// [any-thread] Registers the lookup used by CBitmap(resourceId); nullptr leaves every such bitmap empty.
void setBitmapLookup(BitmapLookup lookup);
// The same picture drawn for a larger scale (halves: 3 = 1.5x, 4 = 2x); false when there is none.
using ScaledBitmapLookup = bool (*)(int32_t resourceId, int32_t scaleHalves, BitmapPixels& out);
// [any-thread] Registers it; without one (or without a picture for the scale) a scaled context draws the
// 1x pixels enlarged.
void setScaledBitmapLookup(ScaledBitmapLookup lookup);

// Pixels are 0xAARRGGBB with straight alpha, row by row from the top. Drawing blends them over the
// target, so alpha 0 lets whatever lies beneath show through.
class CBitmap : public CReferenceCounter {
 public:
  // The resource with this identifier from the registered lookup; an unknown identifier (or no lookup)
  // gives an empty bitmap (isLoaded() false).
  explicit CBitmap(int32_t resourceId);
  // A copy of width × height pixels.
  CBitmap(int32_t width, int32_t height, const uint32_t* pixels);

  bool isLoaded() const { return width_ > 0 && height_ > 0; }
  int32_t getResourceId() const { return resourceId_; }
  int32_t getWidth() const { return width_; }
  int32_t getHeight() const { return height_; }
  const uint32_t* getPixels() const { return pixels_; }
  uint32_t getPixel(int32_t x, int32_t y) const;  // 0 outside the bitmap

  // Draws the part of the bitmap that starts at `offset` into `rect` (context coordinates); the part
  // is cut to the smaller of the rectangle and what remains of the bitmap. Sizes and offsets are 1x
  // pixels; a context at a larger scale gets the resource's picture drawn for that scale.
  void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0)) const;
  // The same: transparency comes from the pixels' alpha.
  void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(0, 0)) const;
  // As draw, with every pixel's alpha scaled by alpha (0..255).
  void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) const;

 private:
  int32_t resourceId_ = -1;
  int32_t width_ = 0;
  int32_t height_ = 0;
  const uint32_t* pixels_ = nullptr;  // the resource's pixels or owned_
  std::vector<uint32_t> owned_;
  // The picture for the scale last drawn at other than 1x (scaledHalves_ 0: none looked up yet).
  mutable int32_t scaledHalves_ = 0;
  mutable BitmapPixels scaled_;
};

}  // namespace tarnwick::gui
