// Pixel canvas primitives; integer blending, 4 × 4 supersampling for curved shapes.
#include "resources/gen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::art {

Colour mix(Colour a, Colour b, int t) {
  t = std::clamp(t, 0, 256);
  auto m = [t](int x, int y) { return static_cast<uint8_t>((x * (256 - t) + y * t + 128) >> 8); };
  return Colour{m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

uint32_t packArgb(Colour c) { return uint32_t{c.a} << 24 | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | uint32_t{c.b}; }

Colour unpackArgb(uint32_t p) {
  return Colour{static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                static_cast<uint8_t>(p >> 24)};
}

Image::Image(int width, int height, Colour fillColour)
    : w_(width),
      h_(height),
      px_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), packArgb(fillColour)) {}

Colour Image::get(int x, int y) const {
  if (!contains(x, y)) return Colour{0, 0, 0, 0};
  return unpackArgb(px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x)]);
}

void Image::set(int x, int y, Colour c) {
  if (!contains(x, y)) return;
  px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) + static_cast<std::size_t>(x)] = packArgb(c);
}

void Image::blend(int x, int y, Colour c, int coverage) {
  if (!contains(x, y) || coverage <= 0) return;
  const int sa = (c.a * std::min(coverage, 255) + 127) / 255;
  if (sa == 0) return;
  if (sa == 255) {
    set(x, y, c);
    return;
  }
  const Colour d = get(x, y);
  // Straight-alpha source-over, scaled by 255 × 255 to stay in integers.
  const int da = d.a * (255 - sa);
  const int outA = sa * 255 + da;
  auto ch = [&](int s, int t) { return static_cast<uint8_t>((s * sa * 255 + t * da + outA / 2) / outA); };
  set(x, y, Colour{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), static_cast<uint8_t>((outA + 127) / 255)});
}

void Image::fill(int x0, int y0, int x1, int y1, Colour c) {
  for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x) set(x, y, c);
}

void Image::blendRect(int x0, int y0, int x1, int y1, Colour c) {
  for (int y = std::max(y0, 0); y < std::min(y1, h_); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, w_); ++x) blend(x, y, c);
}

void Image::hLine(int x0, int x1, int y, Colour c) { blendRect(x0, y, x1, y + 1, c); }
void Image::vLine(int x, int y0, int y1, Colour c) { blendRect(x, y0, x + 1, y1, c); }

void Image::frame(int x0, int y0, int x1, int y1, Colour c) {
  hLine(x0, x1, y0, c);
  hLine(x0, x1, y1 - 1, c);
  vLine(x0, y0 + 1, y1 - 1, c);
  vLine(x1 - 1, y0 + 1, y1 - 1, c);
}

void Image::verticalGradient(int x0, int y0, int x1, int y1, Colour top, Colour bottom) {
  const int span = std::max(1, y1 - y0 - 1);
  for (int y = y0; y < y1; ++y) blendRect(x0, y, x1, y + 1, mix(top, bottom, (y - y0) * 256 / span));
}

void Image::draw(const Image& src, int x, int y) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) blend(x + sx, y + sy, src.get(sx, sy));
}

void Image::paste(const Image& src, int x, int y) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) set(x + sx, y + sy, src.get(sx, sy));
}

Image Image::crop(int x, int y, int width, int height) const {
  Image out(width, height);
  for (int sy = 0; sy < height; ++sy)
    for (int sx = 0; sx < width; ++sx) out.set(sx, sy, get(x + sx, y + sy));
  return out;
}

void Image::hardenAlpha() {
  for (uint32_t& p : px_) p = (p >> 24) >= 128 ? (p | 0xFF000000u) : 0u;
}

Image stack(const std::vector<Image>& parts) {
  int h = 0, w = parts.empty() ? 0 : parts.front().width();
  for (const Image& p : parts) h += p.height();
  Image out(w, h);
  int y = 0;
  for (const Image& p : parts) {
    out.paste(p, 0, y);
    y += p.height();
  }
  return out;
}

namespace {

// Coverage of every pixel of a bounding box from 16 samples of an inside test.
template <class Inside>
void coverageFill(Image& img, double bx0, double by0, double bx1, double by1, Colour c, Inside inside) {
  const int x0 = static_cast<int>(std::floor(bx0)), y0 = static_cast<int>(std::floor(by0));
  const int x1 = static_cast<int>(std::ceil(bx1)), y1 = static_cast<int>(std::ceil(by1));
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      int hits = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) hits += inside(x + (i + 0.5) / 4.0, y + (j + 0.5) / 4.0) ? 1 : 0;
      if (hits) img.blend(x, y, c, hits == 16 ? 255 : hits * 16);
    }
}

}  // namespace

void fillRoundRect(Image& img, int x0, int y0, int x1, int y1, int radius, Colour c) {
  const double r = radius;
  coverageFill(img, x0, y0, x1, y1, c, [&](double x, double y) {
    const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    const double dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
  });
}

void fillRoundRectGradient(Image& img, int x0, int y0, int x1, int y1, int radius, Colour top, Colour bottom) {
  const double r = radius;
  const int span = std::max(1, y1 - y0 - 1);
  for (int row = y0; row < y1; ++row)
    coverageFill(img, x0, row, x1, row + 1, mix(top, bottom, (row - y0) * 256 / span), [&](double x, double y) {
      const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
      const double dx = x - cx, dy = y - cy;
      return dx * dx + dy * dy <= r * r;
    });
}

void fillEllipse(Image& img, double cx, double cy, double rx, double ry, Colour c) {
  coverageFill(img, cx - rx, cy - ry, cx + rx, cy + ry, c, [&](double x, double y) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  });
}

void fillCircleGradient(Image& img, double cx, double cy, double r, Colour top, Colour bottom) {
  const int y0 = static_cast<int>(std::floor(cy - r)), y1 = static_cast<int>(std::ceil(cy + r));
  const int span = std::max(1, y1 - y0 - 1);
  for (int row = y0; row < y1; ++row)
    coverageFill(img, cx - r, row, cx + r, row + 1, mix(top, bottom, (row - y0) * 256 / span),
                 [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; });
}

void fillRing(Image& img, double cx, double cy, double rOuter, double rInner, Colour c) {
  coverageFill(img, cx - rOuter, cy - rOuter, cx + rOuter, cy + rOuter, c, [&](double x, double y) {
    const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d <= rOuter * rOuter && d >= rInner * rInner;
  });
}

void fillTriangle(Image& img, double ax, double ay, double bx, double by, double cx, double cy, Colour c) {
  auto edge = [](double px, double py, double qx, double qy, double x, double y) {
    return (qx - px) * (y - py) - (qy - py) * (x - px);
  };
  const double area = edge(ax, ay, bx, by, cx, cy);
  coverageFill(img, std::min({ax, bx, cx}), std::min({ay, by, cy}), std::max({ax, bx, cx}), std::max({ay, by, cy}), c,
               [&](double x, double y) {
                 const double e0 = edge(ax, ay, bx, by, x, y), e1 = edge(bx, by, cx, cy, x, y),
                              e2 = edge(cx, cy, ax, ay, x, y);
                 return area > 0 ? (e0 >= 0 && e1 >= 0 && e2 >= 0) : (e0 <= 0 && e1 <= 0 && e2 <= 0);
               });
}

void strokeSegment(Image& img, double ax, double ay, double bx, double by, double width, Colour c) {
  const double len = std::hypot(bx - ax, by - ay);
  if (len <= 0) return;
  const double ux = (bx - ax) / len, uy = (by - ay) / len, half = width / 2;
  coverageFill(img, std::min(ax, bx) - half, std::min(ay, by) - half, std::max(ax, bx) + half, std::max(ay, by) + half,
               c, [&](double x, double y) {
                 const double along = (x - ax) * ux + (y - ay) * uy, across = -(x - ax) * uy + (y - ay) * ux;
                 return along >= 0 && along <= len && std::fabs(across) <= half;
               });
}

}  // namespace tarnwick::art
