// Pixel canvas for the bitmap generator: straight-alpha ARGB pixels and the few primitives the art needs.
#pragma once

#include <cstdint>
#include <vector>

namespace tarnwick::art {

struct Colour {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

constexpr Colour rgb(int r, int g, int b) {
  return Colour{static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), 255};
}
constexpr Colour withAlpha(Colour c, int a) { return Colour{c.r, c.g, c.b, static_cast<uint8_t>(a)}; }

// Linear mix in 0..256 steps (0 = a, 256 = b), integer only so that every build draws the same pixels.
Colour mix(Colour a, Colour b, int t256);
uint32_t packArgb(Colour c);
Colour unpackArgb(uint32_t p);

// The scale the art is drawn at, in halves (2 = 1x, 3 = 1.5x, 4 = 2x): images made while it is set have
// that many pixels per two units of the window's layout. Every drawing call takes layout units; a unit
// covers the pixels from floor(v * halves / 2) up to the next unit's.
int drawingScale();
class ScaleScope {
 public:
  explicit ScaleScope(int halves);
  ~ScaleScope();
  ScaleScope(const ScaleScope&) = delete;
  ScaleScope& operator=(const ScaleScope&) = delete;

 private:
  int saved_;
};

class Image {
 public:
  Image() = default;
  // width × height layout units at the current drawing scale.
  Image(int width, int height, Colour fill = Colour{0, 0, 0, 0});

  int width() const { return w_; }
  int height() const { return h_; }
  int scaleHalves() const { return n_; }
  double scale() const { return n_ / 2.0; }
  // The pixels: pixelWidth() × pixelHeight().
  int pixelWidth() const { return pw_; }
  int pixelHeight() const { return ph_; }
  const std::vector<uint32_t>& pixels() const { return px_; }
  // The first pixel of layout unit v.
  int toPixel(int v) const;

  // Layout units: a unit's whole box of pixels (get reads its first pixel).
  Colour get(int x, int y) const;
  void set(int x, int y, Colour c);  // replaces, clipped
  // Source-over with straight alpha; coverage 0..255 scales the source alpha.
  void blend(int x, int y, Colour c, int coverage = 255);
  // Single pixels.
  bool containsPixel(int px, int py) const { return px >= 0 && py >= 0 && px < pw_ && py < ph_; }
  Colour pixel(int px, int py) const;
  void setPixel(int px, int py, Colour c);
  void blendPixel(int px, int py, Colour c, int coverage = 255);

  // Rectangles are half-open: [x0, x1) × [y0, y1).
  void fill(int x0, int y0, int x1, int y1, Colour c);
  void blendRect(int x0, int y0, int x1, int y1, Colour c);
  void hLine(int x0, int x1, int y, Colour c);  // x1 exclusive
  void vLine(int x, int y0, int y1, Colour c);  // y1 exclusive
  void frame(int x0, int y0, int x1, int y1, Colour c);
  void verticalGradient(int x0, int y0, int x1, int y1, Colour top, Colour bottom);

  // Copies src into this image at (x, y): blended (alpha over) or replacing every pixel.
  void draw(const Image& src, int x, int y);
  void paste(const Image& src, int x, int y);
  Image crop(int x, int y, int width, int height) const;
  // Alpha below one half becomes 0, the rest 255 (colours kept).
  void hardenAlpha();

 private:
  int w_ = 0, h_ = 0, n_ = 2, pw_ = 0, ph_ = 0;
  std::vector<uint32_t> px_;
};

// Stacks images of equal width top to bottom (the buttons' state strips).
Image stack(const std::vector<Image>& parts);

// Shapes sampled on a 4 × 4 grid per pixel: straight edges on pixel lines stay sharp, curves get a clean edge.
void fillRoundRect(Image& img, int x0, int y0, int x1, int y1, int radius, Colour c);
// The same shape shaded from `top` on its first row to `bottom` on its last.
void fillRoundRectGradient(Image& img, int x0, int y0, int x1, int y1, int radius, Colour top, Colour bottom);
void fillEllipse(Image& img, double cx, double cy, double rx, double ry, Colour c);
void fillCircleGradient(Image& img, double cx, double cy, double r, Colour top, Colour bottom);
void fillRing(Image& img, double cx, double cy, double rOuter, double rInner, Colour c);
void fillTriangle(Image& img, double ax, double ay, double bx, double by, double cx, double cy, Colour c);
// A line of the given width between two points with square ends (the knob's scale).
void strokeSegment(Image& img, double ax, double ay, double bx, double by, double width, Colour c);

}  // namespace tarnwick::art
