// Draw context primitives: pen lines, rectangles, pixels, bitmap blits and clipping.
#include "gui/CDrawContext.h"

#include <algorithm>
#include <cstddef>

#include "gui/Blend.h"
#include "gui/CFrame.h"

namespace tarnwick::gui {

namespace {

// Device coordinates are limited to ±2^25 so the line arithmetic below stays far inside 64 bits.
constexpr int64_t kCoordLimit = int64_t{1} << 25;
int32_t limit(int64_t v) { return static_cast<int32_t>(std::clamp(v, -kCoordLimit, kCoordLimit)); }

// floor(a / b) for b > 0.
int64_t floorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

CDrawContext::CDrawContext(CFrame* frame, uint32_t* pixels, int32_t width, int32_t height, int32_t stride)
    : frame_(frame) {
  attach(pixels, width, height, stride);
}

void CDrawContext::attach(uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
  pixels_ = pixels;
  width_ = pixels ? std::max(width, 0) : 0;
  height_ = pixels ? std::max(height, 0) : 0;
  stride_ = stride;
  resetClipRect();
}

void CDrawContext::setScaleHalves(int32_t halves) {
  scaleHalves_ = std::clamp(halves, 2, 8);
  resetClipRect();
}

int32_t CDrawContext::toPixel(int64_t v) const { return limit(floorDiv(v * scaleHalves_, 2)); }

int32_t CDrawContext::toDevice(int64_t p) const { return limit(floorDiv(p * 2, scaleHalves_)); }

CRect CDrawContext::pixelClip() const {
  const CRect c = deviceClip();
  CRect p(toPixel(c.left), toPixel(c.top), toPixel(c.right), toPixel(c.bottom));
  p.bound(CRect(0, 0, width_, height_));
  return p;
}

void CDrawContext::setLineWidth(CCoord width) { lineWidth_ = std::clamp(width, CCoord{1}, CCoord{64}); }

CRect CDrawContext::deviceClip() const {
  CRect c = clip_;
  c.bound(CRect(0, 0, deviceWidth(), deviceHeight()));
  return c;
}

void CDrawContext::setClipRect(const CRect& clip) {
  clip_ = clip;
  clip_.offset(offset_.x, offset_.y);
  clip_.bound(CRect(0, 0, deviceWidth(), deviceHeight()));
}

void CDrawContext::getClipRect(CRect& clip) const {
  clip = clip_;
  clip.offset(-offset_.x, -offset_.y);
}

void CDrawContext::resetClipRect() { clip_ = CRect(0, 0, deviceWidth(), deviceHeight()); }

void CDrawContext::blendSpan(int32_t x0, int32_t x1, int32_t y, uint32_t argb) {
  if (scaleHalves_ != 2) {
    fillPixels(toPixel(x0), toPixel(y), toPixel(int64_t{x1} + 1) - 1, toPixel(int64_t{y} + 1) - 1, argb);
    return;
  }
  const CRect c = deviceClip();
  if (y < c.top || y >= c.bottom) return;
  x0 = std::max(x0, c.left);
  x1 = std::min(x1, c.right - 1);
  if (x0 > x1) return;
  uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
  if ((argb >> 24) == 255u) {
    std::fill(row + x0, row + x1 + 1, argb);
    return;
  }
  for (int32_t x = x0; x <= x1; ++x) row[x] = blend::over(argb, row[x]);
}

void CDrawContext::fillPixels(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t argb) {
  const CRect c = pixelClip();
  x0 = std::max(x0, c.left);
  x1 = std::min(x1, c.right - 1);
  y0 = std::max(y0, c.top);
  y1 = std::min(y1, c.bottom - 1);
  for (int32_t y = y0; y <= y1 && x0 <= x1; ++y) {
    uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
    if ((argb >> 24) == 255u)
      std::fill(row + x0, row + x1 + 1, argb);
    else
      for (int32_t x = x0; x <= x1; ++x) row[x] = blend::over(argb, row[x]);
  }
}

void CDrawContext::fillDevice(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t argb) {
  if ((argb >> 24) == 0u) return;
  if (scaleHalves_ != 2) {
    fillPixels(toPixel(x0), toPixel(y0), toPixel(int64_t{x1} + 1) - 1, toPixel(int64_t{y1} + 1) - 1, argb);
    return;
  }
  const CRect c = deviceClip();
  y0 = std::max(y0, c.top);
  y1 = std::min(y1, c.bottom - 1);
  for (int32_t y = y0; y <= y1; ++y) blendSpan(x0, x1, y, argb);
}

void CDrawContext::moveTo(const CPoint& point) { pen_ = point; }

void CDrawContext::lineTo(const CPoint& point) {
  drawLine(pen_, point);
  pen_ = point;
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
  const uint32_t argb = frameColor_.toArgb();
  if ((argb >> 24) == 0u) return;
  const int64_t x0 = limit(int64_t{from.x} + offset_.x), y0 = limit(int64_t{from.y} + offset_.y);
  const int64_t x1 = limit(int64_t{to.x} + offset_.x), y1 = limit(int64_t{to.y} + offset_.y);
  if (scaleHalves_ == 2) {
    strokePixels(x0, y0, x1, y1, lineWidth_, deviceClip(), argb);
    return;
  }
  // At a larger scale the line runs from the first pixel of its first point to the last pixel of its last
  // point, along each axis, and is as much thicker.
  auto ends = [this](int64_t a, int64_t b, int64_t& pa, int64_t& pb) {
    pa = a <= b ? toPixel(a) : toPixel(a + 1) - 1;
    pb = a == b ? pa : (a < b ? toPixel(b + 1) - 1 : toPixel(b));
  };
  int64_t px0, py0, px1, py1;
  ends(x0, x1, px0, px1);
  ends(y0, y1, py0, py1);
  strokePixels(px0, py0, px1, py1, std::max(1, (lineWidth_ * scaleHalves_ + 1) / 2), pixelClip(), argb);
}

void CDrawContext::strokePixels(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int32_t width, const CRect& c,
                                uint32_t argb) {
  const int32_t before = (width - 1) / 2;
  const int32_t after = width / 2;
  if (c.isEmpty()) return;
  // Every span below lies inside c, which lies inside the buffer.
  auto span = [this, argb](int64_t left, int64_t right, int64_t y) {
    uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
    for (int64_t x = left; x <= right; ++x) row[x] = (argb >> 24) == 255u ? argb : blend::over(argb, row[x]);
  };
  const bool acrossMajor = (x1 > x0 ? x1 - x0 : x0 - x1) >= (y1 > y0 ? y1 - y0 : y0 - y1);
  if (acrossMajor) {
    // One span of `width` rows per column; endpoints ordered so the pixels do not depend on direction.
    if (x1 < x0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const int64_t first = std::max<int64_t>(x0, c.left), last = std::min<int64_t>(x1, c.right - 1);
    for (int64_t x = first; x <= last; ++x) {
      const int64_t y = dx == 0 ? y0 : y0 + floorDiv(2 * (x - x0) * dy + dx, 2 * dx);
      const int64_t top = std::max<int64_t>(y - before, c.top), bottom = std::min<int64_t>(y + after, c.bottom - 1);
      for (int64_t yy = top; yy <= bottom; ++yy) span(x, x, yy);
    }
  } else {
    if (y1 < y0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const int64_t first = std::max<int64_t>(y0, c.top), last = std::min<int64_t>(y1, c.bottom - 1);
    for (int64_t y = first; y <= last; ++y) {
      const int64_t x = x0 + floorDiv(2 * (y - y0) * dx + dy, 2 * dy);
      const int64_t left = std::max<int64_t>(x - before, c.left), right = std::min<int64_t>(x + after, c.right - 1);
      if (left > right) continue;
      span(left, right, y);
    }
  }
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
  if (style == kDrawFilled || style == kDrawFilledAndStroked) fillRect(rect);
  if (style == kDrawFilled) return;
  const uint32_t argb = frameColor_.toArgb();
  const int32_t before = (lineWidth_ - 1) / 2;
  const int32_t after = lineWidth_ / 2;
  const int32_t l = limit(int64_t{rect.left} + offset_.x), t = limit(int64_t{rect.top} + offset_.y);
  const int32_t r = limit(int64_t{rect.right} + offset_.x), b = limit(int64_t{rect.bottom} + offset_.y);
  // Four bands that meet without overlapping: top and bottom across the full width, the sides between.
  const int32_t outerL = l - before, outerR = r + after, outerT = t - before, outerB = b + after;
  const int32_t innerT = t + after + 1, innerB = b - before - 1;
  if (innerT > innerB || l + after + 1 > r - before - 1) {
    fillDevice(outerL, outerT, outerR, outerB, argb);
    return;
  }
  fillDevice(outerL, outerT, outerR, innerT - 1, argb);
  fillDevice(outerL, innerB + 1, outerR, outerB, argb);
  fillDevice(outerL, innerT, l + after, innerB, argb);
  fillDevice(r - before, innerT, outerR, innerB, argb);
}

void CDrawContext::fillRect(const CRect& rect) {
  fillDevice(limit(int64_t{rect.left} + offset_.x + 1), limit(int64_t{rect.top} + offset_.y + 1),
             limit(int64_t{rect.right} + offset_.x - 1), limit(int64_t{rect.bottom} + offset_.y - 1),
             fillColor_.toArgb());
}

void CDrawContext::drawPoint(const CPoint& point, const CColor& color) {
  const int32_t x = limit(int64_t{point.x} + offset_.x), y = limit(int64_t{point.y} + offset_.y);
  blendSpan(x, x, y, color.toArgb());
}

CColor CDrawContext::getPoint(const CPoint& point) const {
  const int32_t x = toPixel(int64_t{point.x} + offset_.x), y = toPixel(int64_t{point.y} + offset_.y);
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kTransparentCColor;
  return CColor::fromArgb(pixels_[static_cast<ptrdiff_t>(y) * stride_ + x]);
}

void CDrawContext::drawPixels(const uint32_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride,
                              const CRect& dest, const CPoint& srcOffset, uint8_t alpha, int32_t srcScaleHalves) {
  if (src == nullptr || alpha == 0) return;
  if (scaleHalves_ != 2 || srcScaleHalves != 2) {
    drawScaledPixels(src, srcWidth, srcHeight, srcStride, dest, srcOffset, alpha, std::clamp(srcScaleHalves, 2, 8));
    return;
  }
  if (srcWidth <= 0 || srcHeight <= 0 || srcOffset.x >= srcWidth || srcOffset.y >= srcHeight) return;
  CRect d(limit(int64_t{dest.left} + offset_.x), limit(int64_t{dest.top} + offset_.y),
          limit(int64_t{dest.right} + offset_.x), limit(int64_t{dest.bottom} + offset_.y));
  if (d.isEmpty()) return;
  // Cut to what the source holds from srcOffset on, then to the clip.
  d.setWidth(std::min(d.width(), srcWidth - srcOffset.x));
  d.setHeight(std::min(d.height(), srcHeight - srcOffset.y));
  CRect visible = d;
  visible.bound(CRect(d.left - std::min(srcOffset.x, 0), d.top - std::min(srcOffset.y, 0), d.right, d.bottom));
  visible.bound(deviceClip());
  if (visible.isEmpty()) return;
  for (int32_t y = visible.top; y < visible.bottom; ++y) {
    const uint32_t* s = src + static_cast<ptrdiff_t>(srcOffset.y + y - d.top) * srcStride + srcOffset.x - d.left;
    uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
    for (int32_t x = visible.left; x < visible.right; ++x) {
      const uint32_t p = alpha == 255 ? s[x] : blend::withCoverage(s[x], alpha);
      row[x] = blend::over(p, row[x]);
    }
  }
}

void CDrawContext::drawScaledPixels(const uint32_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride,
                                    const CRect& dest, const CPoint& srcOffset, uint8_t alpha, int32_t m) {
  // The source in its own layout units: srcWidth pixels at m halves cover ceil(srcWidth * 2 / m) units.
  const int64_t unitsW = (int64_t{srcWidth} * 2 + m - 1) / m, unitsH = (int64_t{srcHeight} * 2 + m - 1) / m;
  if (srcWidth <= 0 || srcHeight <= 0 || srcOffset.x >= unitsW || srcOffset.y >= unitsH) return;
  CRect d(limit(int64_t{dest.left} + offset_.x), limit(int64_t{dest.top} + offset_.y),
          limit(int64_t{dest.right} + offset_.x), limit(int64_t{dest.bottom} + offset_.y));
  if (d.isEmpty()) return;
  d.setWidth(static_cast<CCoord>(std::min<int64_t>(d.width(), unitsW - srcOffset.x)));
  d.setHeight(static_cast<CCoord>(std::min<int64_t>(d.height(), unitsH - srcOffset.y)));
  CRect visible = d;
  visible.bound(CRect(d.left - std::min(srcOffset.x, 0), d.top - std::min(srcOffset.y, 0), d.right, d.bottom));
  visible.bound(deviceClip());
  if (visible.isEmpty()) return;
  CRect p(toPixel(visible.left), toPixel(visible.top), toPixel(visible.right), toPixel(visible.bottom));
  p.bound(pixelClip());
  // Buffer pixel x shows source pixel first + (x - origin) * m / n, held at the last pixel of the copied
  // part, so a part whose rounding gives it a pixel less than its place never shows its neighbour's.
  const int32_t n = scaleHalves_;
  const int64_t originX = toPixel(d.left), originY = toPixel(d.top);
  const int64_t firstX = floorDiv(int64_t{srcOffset.x} * m, 2), firstY = floorDiv(int64_t{srcOffset.y} * m, 2);
  const int64_t endX = std::min<int64_t>(srcWidth, floorDiv((int64_t{srcOffset.x} + d.width()) * m, 2));
  const int64_t endY = std::min<int64_t>(srcHeight, floorDiv((int64_t{srcOffset.y} + d.height()) * m, 2));
  if (endX <= 0 || endY <= 0) return;
  for (int32_t y = p.top; y < p.bottom; ++y) {
    const int64_t sy = std::clamp<int64_t>(firstY + floorDiv((y - originY) * m, n), 0, endY - 1);
    const uint32_t* s = src + static_cast<ptrdiff_t>(sy) * srcStride;
    uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
    for (int32_t x = p.left; x < p.right; ++x) {
      const int64_t sx = std::clamp<int64_t>(firstX + floorDiv((x - originX) * m, n), 0, endX - 1);
      const uint32_t px = alpha == 255 ? s[sx] : blend::withCoverage(s[sx], alpha);
      row[x] = blend::over(px, row[x]);
    }
  }
}

void CDrawContext::clear(const CColor& color) {
  const CRect c = pixelClip();
  const uint32_t argb = color.toArgb();
  for (int32_t y = c.top; y < c.bottom; ++y) {
    uint32_t* row = pixels_ + static_cast<ptrdiff_t>(y) * stride_;
    std::fill(row + c.left, row + c.right, argb);
  }
}

int32_t CDrawContext::getMouseButtons() const { return frame_ ? frame_->getCurrentMouseButtons() : 0; }

void CDrawContext::getMouseLocation(CPoint& where) const {
  if (frame_) {
    frame_->getCurrentMouseLocation(where);
    where.offset(-offset_.x, -offset_.y);
  } else {
    where = CPoint(0, 0);
  }
}

}  // namespace tarnwick::gui
