// Offscreen contexts and the copies between contexts.
#include "gui/COffscreenContext.h"

#include <algorithm>

namespace tarnwick::gui {

COffscreenContext::COffscreenContext(CFrame* frame, CCoord width, CCoord height, const CColor& background,
                                     int32_t scaleHalves)
    : CDrawContext(frame, nullptr, 0, 0, 0), background_(background) {
  setScaleHalves(scaleHalves);
  const int32_t halves = getScaleHalves();
  width = std::clamp(width, CCoord{0}, CCoord{16384});
  height = std::clamp(height, CCoord{0}, CCoord{16384});
  // Whole pixels covering every coordinate: the size times the scale, rounded up.
  width = (width * halves + 1) / 2;
  height = (height * halves + 1) / 2;
  buffer_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), background.toArgb());
  attach(buffer_.empty() ? nullptr : buffer_.data(), width, height, width);
}

void COffscreenContext::copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset) const {
  if (dest == nullptr || buffer_.empty()) return;
  dest->drawPixels(buffer_.data(), getWidth(), getHeight(), getStride(), destRect, srcOffset, 255, getScaleHalves());
}

void COffscreenContext::copyTo(const CDrawContext* src, const CRect& srcRect, const CPoint& destOffset) {
  if (src == nullptr || src->getPixels() == nullptr) return;
  // srcRect is in src's coordinates: its device position is srcRect shifted by src's offset.
  CRect device = srcRect;
  device.offset(src->getOffset().x, src->getOffset().y);
  const CRect dest(destOffset.x, destOffset.y, destOffset.x + srcRect.width(), destOffset.y + srcRect.height());
  drawPixels(src->getPixels(), src->getWidth(), src->getHeight(), src->getStride(), dest, device.topLeft(), 255,
             src->getScaleHalves());
}

}  // namespace tarnwick::gui
