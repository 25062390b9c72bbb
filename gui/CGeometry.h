// Points, rectangles and colours of the widget toolkit, in window pixels.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tarnwick::gui {

using CCoord = int32_t;

struct CRect;

struct CPoint {
  CCoord x = 0;
  CCoord y = 0;

  constexpr CPoint() = default;
  constexpr CPoint(CCoord px, CCoord py) : x(px), y(py) {}

  CPoint& offset(CCoord dx, CCoord dy) {
    x += dx;
    y += dy;
    return *this;
  }
  // Inside with all four edges included: right and bottom count as inside.
  constexpr bool isInside(const CRect& r) const;

  constexpr bool operator==(const CPoint&) const = default;
};

// left/top are the first pixel; right/bottom lie one past the last (width = right - left).
struct CRect {
  CCoord left = 0;
  CCoord top = 0;
  CCoord right = 0;
  CCoord bottom = 0;

  constexpr CRect() = default;
  constexpr CRect(CCoord l, CCoord t, CCoord r, CCoord b) : left(l), top(t), right(r), bottom(b) {}
  constexpr CRect(const CPoint& origin, const CPoint& size)
      : left(origin.x), top(origin.y), right(origin.x + size.x), bottom(origin.y + size.y) {}

  constexpr CCoord width() const { return right - left; }
  constexpr CCoord height() const { return bottom - top; }
  constexpr bool isEmpty() const { return right <= left || bottom <= top; }
  constexpr CPoint topLeft() const { return {left, top}; }

  CRect& offset(CCoord dx, CCoord dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
  }
  CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
  CRect& inset(CCoord dx, CCoord dy) {
    left += dx;
    right -= dx;
    top += dy;
    bottom -= dy;
    return *this;
  }
  CRect& setWidth(CCoord w) {
    right = left + w;
    return *this;
  }
  CRect& setHeight(CCoord h) {
    bottom = top + h;
    return *this;
  }
  // Intersection with r (empty rectangles collapse to right = left / bottom = top).
  CRect& bound(const CRect& r) {
    left = std::max(left, r.left);
    top = std::max(top, r.top);
    right = std::max(left, std::min(right, r.right));
    bottom = std::max(top, std::min(bottom, r.bottom));
    return *this;
  }
  // Smallest rectangle holding both; an empty operand does not count.
  CRect& unite(const CRect& r) {
    if (r.isEmpty()) return *this;
    if (isEmpty()) return *this = r;
    left = std::min(left, r.left);
    top = std::min(top, r.top);
    right = std::max(right, r.right);
    bottom = std::max(bottom, r.bottom);
    return *this;
  }
  // Half-open test (right and bottom excluded): the pixel grid covered by the rectangle.
  constexpr bool pointInside(const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  // True when the pixel areas share at least one pixel.
  constexpr bool rectOverlap(const CRect& r) const {
    return left < r.right && r.left < right && top < r.bottom && r.top < bottom;
  }

  constexpr bool operator==(const CRect&) const = default;
};

constexpr bool CPoint::isInside(const CRect& r) const {
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// Straight (not premultiplied) colour; alpha 255 is opaque.
struct CColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  uint8_t alpha = 255;

  constexpr bool operator==(const CColor&) const = default;
  constexpr uint32_t toArgb() const {
    return (uint32_t{alpha} << 24) | (uint32_t{red} << 16) | (uint32_t{green} << 8) | uint32_t{blue};
  }
  static constexpr CColor fromArgb(uint32_t p) {
    return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
            static_cast<uint8_t>(p >> 24)};
  }
};

constexpr CColor MakeCColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
  return {red, green, blue, alpha};
}

constexpr CColor kTransparentCColor{0, 0, 0, 0};
constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kGreyCColor{127, 127, 127, 255};
constexpr CColor kRedCColor{255, 0, 0, 255};
constexpr CColor kGreenCColor{0, 255, 0, 255};
constexpr CColor kBlueCColor{0, 0, 255, 255};
constexpr CColor kYellowCColor{255, 255, 0, 255};

}  // namespace tarnwick::gui
