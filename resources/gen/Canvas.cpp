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

namespace {

int gScaleHalves = 2;

int floorHalf(long long v) { return static_cast<int>(v >= 0 ? v / 2 : -((-v + 1) / 2)); }

}  // namespace

int drawingScale() { return gScaleHalves; }
ScaleScope::ScaleScope(int halves) : saved_(gScaleHalves) { gScaleHalves = std::clamp(halves, 2, 8); }
ScaleScope::~ScaleScope() { gScaleHalves = saved_; }

Image::Image(int width, int height, Colour fillColour)
    : w_(width),
      h_(height),
      n_(gScaleHalves),
      pw_((width * gScaleHalves + 1) / 2),
      ph_((height * gScaleHalves + 1) / 2),
      px_(static_cast<std::size_t>(pw_) * static_cast<std::size_t>(ph_), packArgb(fillColour)) {}

int Image::toPixel(int v) const { return floorHalf(static_cast<long long>(v) * n_); }

Colour Image::pixel(int px, int py) const {
  if (!containsPixel(px, py)) return Colour{0, 0, 0, 0};
  return unpackArgb(px_[static_cast<std::size_t>(py) * static_cast<std::size_t>(pw_) + static_cast<std::size_t>(px)]);
}

void Image::setPixel(int px, int py, Colour c) {
  if (!containsPixel(px, py)) return;
  px_[static_cast<std::size_t>(py) * static_cast<std::size_t>(pw_) + static_cast<std::size_t>(px)] = packArgb(c);
}

void Image::blendPixel(int px, int py, Colour c, int coverage) {
  if (!containsPixel(px, py) || coverage <= 0) return;
  const int sa = (c.a * std::min(coverage, 255) + 127) / 255;
  if (sa == 0) return;
  if (sa == 255) {
    setPixel(px, py, c);
    return;
  }
  const Colour d = pixel(px, py);
  // Straight-alpha source-over, scaled by 255 × 255 to stay in integers.
  const int da = d.a * (255 - sa);
  const int outA = sa * 255 + da;
  auto ch = [&](int s, int t) { return static_cast<uint8_t>((s * sa * 255 + t * da + outA / 2) / outA); };
  setPixel(px, py, Colour{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), static_cast<uint8_t>((outA + 127) / 255)});
}

Colour Image::get(int x, int y) const { return pixel(toPixel(x), toPixel(y)); }

void Image::set(int x, int y, Colour c) { fill(x, y, x + 1, y + 1, c); }

void Image::blend(int x, int y, Colour c, int coverage) {
  for (int py = toPixel(y); py < toPixel(y + 1); ++py)
    for (int px = toPixel(x); px < toPixel(x + 1); ++px) blendPixel(px, py, c, coverage);
}

void Image::fill(int x0, int y0, int x1, int y1, Colour c) {
  for (int y = std::max(toPixel(y0), 0); y < std::min(toPixel(y1), ph_); ++y)
    for (int x = std::max(toPixel(x0), 0); x < std::min(toPixel(x1), pw_); ++x) setPixel(x, y, c);
}

void Image::blendRect(int x0, int y0, int x1, int y1, Colour c) {
  for (int y = std::max(toPixel(y0), 0); y < std::min(toPixel(y1), ph_); ++y)
    for (int x = std::max(toPixel(x0), 0); x < std::min(toPixel(x1), pw_); ++x) blendPixel(x, y, c);
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
  // One step per pixel row, so a larger scale shades as finely as it draws.
  const int p0 = toPixel(y0), p1 = toPixel(y1), l = toPixel(x0), r = toPixel(x1);
  const int span = std::max(1, p1 - p0 - 1);
  for (int y = p0; y < p1; ++y)
    for (int x = l; x < r; ++x) blendPixel(x, y, mix(top, bottom, (y - p0) * 256 / span));
}

void Image::draw(const Image& src, int x, int y) {
  const int px = toPixel(x), py = toPixel(y);
  for (int sy = 0; sy < src.pixelHeight(); ++sy)
    for (int sx = 0; sx < src.pixelWidth(); ++sx) blendPixel(px + sx, py + sy, src.pixel(sx, sy));
}

void Image::paste(const Image& src, int x, int y) {
  const int px = toPixel(x), py = toPixel(y);
  for (int sy = 0; sy < src.pixelHeight(); ++sy)
    for (int sx = 0; sx < src.pixelWidth(); ++sx) setPixel(px + sx, py + sy, src.pixel(sx, sy));
}

Image Image::crop(int x, int y, int width, int height) const {
  const ScaleScope same(n_);
  Image out(width, height);
  const int px = toPixel(x), py = toPixel(y);
  for (int sy = 0; sy < out.pixelHeight(); ++sy)
    for (int sx = 0; sx < out.pixelWidth(); ++sx) out.setPixel(sx, sy, pixel(px + sx, py + sy));
  return out;
}

void Image::hardenAlpha() {
  for (uint32_t& p : px_) p = (p >> 24) >= 128 ? (p | 0xFF000000u) : 0u;
}

Image stack(const std::vector<Image>& parts) {
  int h = 0, w = parts.empty() ? 0 : parts.front().width();
  for (const Image& p : parts) h += p.height();
  const ScaleScope same(parts.empty() ? drawingScale() : parts.front().scaleHalves());
  Image out(w, h);
  int y = 0;
  for (const Image& p : parts) {
    out.paste(p, 0, y);
    y += p.height();
  }
  return out;
}

namespace {

// Coverage of every pixel of a bounding box (layout units) from 16 samples of an inside test (layout units).
template <class Inside>
void coverageFillPixels(Image& img, int x0, int y0, int x1, int y1, Colour c, Inside inside) {
  const double s = img.scale();
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      int hits = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) hits += inside((x + (i + 0.5) / 4.0) / s, (y + (j + 0.5) / 4.0) / s) ? 1 : 0;
      if (hits) img.blendPixel(x, y, c, hits == 16 ? 255 : hits * 16);
    }
}

template <class Inside>
void coverageFill(Image& img, double bx0, double by0, double bx1, double by1, Colour c, Inside inside) {
  const double s = img.scale();
  coverageFillPixels(img, static_cast<int>(std::floor(bx0 * s)), static_cast<int>(std::floor(by0 * s)),
                     static_cast<int>(std::ceil(bx1 * s)), static_cast<int>(std::ceil(by1 * s)), c, inside);
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
  const int p0 = img.toPixel(y0), p1 = img.toPixel(y1);
  const int span = std::max(1, p1 - p0 - 1);
  for (int row = p0; row < p1; ++row)
    coverageFillPixels(img, img.toPixel(x0), row, img.toPixel(x1), row + 1, mix(top, bottom, (row - p0) * 256 / span),
                       [&](double x, double y) {
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
  const double s = img.scale();
  const int y0 = static_cast<int>(std::floor((cy - r) * s)), y1 = static_cast<int>(std::ceil((cy + r) * s));
  const int span = std::max(1, y1 - y0 - 1);
  for (int row = y0; row < y1; ++row)
    coverageFillPixels(img, static_cast<int>(std::floor((cx - r) * s)), row, static_cast<int>(std::ceil((cx + r) * s)),
                       row + 1, mix(top, bottom, (row - y0) * 256 / span),
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
