// Shared drawing pieces: one bevel style for fields and plates, one key cap for every push button.
#include "resources/gen/Widgets.h"

#include <algorithm>

#include "resources/gen/Theme.h"

namespace tarnwick::art {

void recess(Image& img, int x0, int y0, int x1, int y1, Colour fill) {
  img.fill(x0, y0, x1, y1, fill);
  img.hLine(x0 - 1, x1 + 1, y0 - 1, palette::panelEdgeDark);
  img.vLine(x0 - 1, y0, y1 + 1, palette::panelEdgeDark);
  img.hLine(x0, x1, y0, palette::fieldShadow);
  img.hLine(x0, x1 + 1, y1, palette::fieldLip);
  img.vLine(x1, y0 - 1, y1, palette::fieldLip);
}

void plate(Image& img, int x0, int y0, int x1, int y1) {
  fillRoundRect(img, x0, y0, x1, y1, 3, palette::panelEdgeDark);
  fillRoundRectGradient(img, x0 + 1, y0 + 1, x1 - 1, y1 - 1, 2, palette::plate, rgb(42, 44, 49));
  img.hLine(x0 + 3, x1 - 3, y1, withAlpha(palette::panelEdgeLight, 150));
}

void lamp(Image& img, int x, int y, int size, bool lit) {
  const double r = size / 2.0, cx = x + r, cy = y + r;
  if (lit) {
    fillEllipse(img, cx, cy, r, r, rgb(120, 78, 10));
    fillEllipse(img, cx, cy, r - 0.7, r - 0.7, rgb(255, 196, 72));
    fillEllipse(img, cx - r * 0.25, cy - r * 0.25, r * 0.38, r * 0.38, rgb(255, 240, 200));
  } else {
    fillEllipse(img, cx, cy, r, r, rgb(14, 14, 15));
    fillEllipse(img, cx, cy, r - 0.8, r - 0.8, rgb(62, 52, 36));
  }
}

Image keyCap(const FontSet& fonts, int w, int h, const KeyLook& look) {
  Image img(w, h);
  fillRoundRect(img, 0, 0, w, h, 2, palette::panelEdgeDark);
  Colour top = rgb(84, 88, 95), bottom = rgb(60, 63, 69), shine = rgb(112, 116, 124);
  if (look.hover) top = rgb(102, 106, 114), bottom = rgb(74, 77, 84), shine = rgb(134, 138, 146);
  if (look.pressed) top = rgb(40, 42, 46), bottom = rgb(56, 59, 64), shine = rgb(36, 38, 41);
  fillRoundRectGradient(img, 1, 1, w - 1, h - 1, 1, top, bottom);
  img.hLine(2, w - 2, 1, shine);
  if (look.hover) {  // accent rim under the mouse
    img.hLine(2, w - 2, h - 1, palette::accent);
    img.hLine(2, w - 2, 0, palette::accentDark);
  }

  const int lampSize = look.lampSize > 0 ? look.lampSize : h >= 15 ? 6 : h >= 11 ? 4 : 3;
  const int textLeft = look.led ? 3 + lampSize + 1 : 1;
  if (look.led) lamp(img, 3, (h - lampSize) / 2, lampSize, look.on);

  const double px = look.labelPx > 0 ? look.labelPx : h >= 15 ? 9.0 : h >= 11 ? 8.0 : 7.0;
  const int room = w - 1 - textLeft;
  // The narrower face where the bold one would touch the rim.
  const bool boldFits = (h >= 11 || look.labelPx > 0) && fonts.bold.measure(look.label, px) <= room - 3;
  const Font& font = boldFits ? fonts.bold : fonts.condensedBold;
  const int cap = font.capHeight(px);
  const int triangle = look.menu ? cap : 0;
  const int gap = look.menu ? 3 : 0;
  const int textWidth = font.measure(look.label, px) + gap + triangle;
  const int x = textLeft + std::max(0, (room - textWidth) / 2);
  const int baseline = (look.baseline > 0 ? look.baseline : (h + cap) / 2) + (look.pressed ? 1 : 0);
  const Colour ink = look.on ? rgb(250, 200, 96) : look.hover ? rgb(236, 238, 242) : rgb(206, 208, 212);
  font.draw(img, look.label, px, x, baseline, ink);
  if (look.menu) {
    const double tx = x + textWidth - triangle, ty = baseline - cap + (cap - triangle * 0.6) / 2;
    fillTriangle(img, tx, ty, tx + triangle, ty, tx + triangle / 2.0, ty + triangle * 0.6, ink);
  }
  return img;
}

}  // namespace tarnwick::art
