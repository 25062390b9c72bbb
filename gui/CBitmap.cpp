// Bitmaps from memory and their drawing.
#include "gui/CBitmap.h"

#include "gui/CDrawContext.h"

namespace tarnwick::gui {

bool lookUpScaledBitmap(int32_t resourceId, int32_t scaleHalves, BitmapPixels& out);  // CBitmapResource.cpp

CBitmap::CBitmap(int32_t width, int32_t height, const uint32_t* pixels) {
  if (width <= 0 || height <= 0 || pixels == nullptr) return;
  owned_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  width_ = width;
  height_ = height;
  pixels_ = owned_.data();
}

uint32_t CBitmap::getPixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset) const {
  drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset) const {
  drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, uint8_t alpha) const {
  if (context == nullptr || !isLoaded()) return;
  const int32_t halves = context->getScaleHalves();
  if (halves != 2 && resourceId_ >= 0) {
    if (scaledHalves_ != halves) {
      if (!lookUpScaledBitmap(resourceId_, halves, scaled_)) scaled_ = BitmapPixels{};
      scaledHalves_ = halves;
    }
    if (scaled_.pixels != nullptr) {
      context->drawPixels(scaled_.pixels, scaled_.width, scaled_.height, scaled_.width, rect, offset, alpha, halves);
      return;
    }
  }
  context->drawPixels(pixels_, width_, height_, width_, rect, offset, alpha);
}

}  // namespace tarnwick::gui
