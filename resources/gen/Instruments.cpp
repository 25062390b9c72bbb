// The level knob's face, the peak meter's lamps, the fader tracks and the delay bar field.
#include <cmath>

#include "resources/gen/Catalogue.h"
#include "resources/gen/Theme.h"

namespace tarnwick::art {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Knob travel: value 0 at 225 degrees (lower left), value 1 at -45 degrees (lower right), clockwise.
double knobAngle(double value) { return (225.0 - 270.0 * value) * kPi / 180.0; }

// Meter lamps: one-pixel rows every second row, so whatever row the meter cuts at, no lamp is cut in half.
Image meterImage(bool lit) {
  Image img(16, 56, rgb(8, 8, 9));
  img.fill(1, 1, 15, 55, rgb(17, 18, 20));
  for (int row = 2; row <= 52; row += 2) {
    const double height = (52 - row) / 50.0;  // 0 at the lowest lamp, 1 at the top one
    Colour on = rgb(84, 214, 96), off = rgb(26, 48, 29);
    if (height >= 0.84)
      on = rgb(240, 74, 60), off = rgb(62, 26, 24);
    else if (height >= 0.62)
      on = rgb(236, 198, 62), off = rgb(58, 50, 22);
    img.fill(3, row, 13, row + 1, lit ? on : off);
  }
  return img;
}

}  // namespace

void drawKnob(Image& img, int left, int top) {
  // Centre where the toolkit puts the handle's centre: (w / 2 + 0.5, w / 2) in continuous coordinates.
  const double cx = left + 23.5, cy = top + 23.0;
  for (int k = 0; k <= 10; ++k) {
    if (k == 7) continue;  // replaced by the 0 dB mark just beside it
    const double a = knobAngle(k / 10.0);
    const Colour c = (k == 0 || k == 10) ? palette::text : palette::textDim;
    strokeSegment(img, cx + 20.8 * std::cos(a), cy - 20.8 * std::sin(a), cx + 22.4 * std::cos(a),
                  cy - 22.4 * std::sin(a), 1.3, c);
  }
  const double unity = knobAngle(std::sqrt(0.5));  // output gain 2v^2 = 1
  strokeSegment(img, cx + 20.6 * std::cos(unity), cy - 20.6 * std::sin(unity), cx + 22.6 * std::cos(unity),
                cy - 22.6 * std::sin(unity), 1.5, palette::accent);
  // The handle's dot travels at radius 16, on the face between the rim and the cap.
  fillEllipse(img, cx, cy + 0.8, 20.0, 20.0, rgb(16, 16, 18));  // drop shadow
  fillEllipse(img, cx, cy, 19.8, 19.8, palette::panelEdgeDark);
  fillCircleGradient(img, cx, cy, 18.9, rgb(98, 102, 110), rgb(46, 48, 53));
  fillCircleGradient(img, cx, cy, 12.4, rgb(48, 51, 56), rgb(76, 80, 87));
  fillRing(img, cx, cy, 12.6, 11.8, rgb(34, 36, 40));
}

void drawSliderTrack(Image& img, int left, int ticks, bool stepped) {
  using namespace layout;
  const int x = left + 6;  // under the centre of the 14-pixel handle
  const int top = sliderHandleMin + 3, bottom = sliderHandleMax + 4;
  img.fill(x - 1, top - 1, x + 3, bottom + 1, palette::panelEdgeDark);
  img.fill(x, top, x + 2, bottom, rgb(8, 8, 9));
  img.vLine(x + 3, top, bottom + 1, palette::fieldLip);
  img.hLine(x, x + 3, bottom + 1, palette::fieldLip);
  for (int k = 0; k < ticks; ++k) {
    const int row = sliderHandleMin + 3 +
                    static_cast<int>(std::lround(k * double(sliderHandleMax - sliderHandleMin) / (ticks - 1)));
    const bool end = k == 0 || k == ticks - 1;
    const int length = end ? 4 : stepped ? 3 : 2;
    img.hLine(left + 15, left + 15 + length, row, end ? palette::textDim : palette::textFaint);
  }
}

// Every 14-pixel column carries the same pattern, so a bar shows the same picture whichever offset into the
// bitmap it draws from.
void drawBarField(Image& img, int left, int top) {
  using namespace layout;
  img.fill(left, top, left + barArea.width(), top + barArea.height(), palette::field);
  for (int c = 0; c < barCount; ++c) {
    const int x = left + c * barWidth;
    for (int y = 1; y < barArea.height(); y += 4) img.set(x, top + y, palette::gridStrong);
    for (int q = 0; q <= 4; ++q) {
      const int y = 3 + static_cast<int>(std::lround(q * (barHandleMax - barHandleMin) / 4.0));
      for (int dx = 2; dx < barWidth - 1; dx += 3) img.set(x + dx, top + y, palette::gridStrong);
    }
  }
}

void addKnobAndMeter(Catalogue& out) {
  out.push_back({146, "meter-on", meterImage(true)});
  out.push_back({147, "meter-off", meterImage(false)});
}

void addBarGraph(Catalogue& out) {
  using namespace layout;
  // 178: the same grid in pure black and white, drawn by the bars and the overlay.
  Image colour(barArea.width(), barArea.height());
  drawBarField(colour, 0, 0);
  Image bits(colour.width(), colour.height());
  for (int y = 0; y < bits.pixelHeight(); ++y)
    for (int x = 0; x < bits.pixelWidth(); ++x) {
      const Colour c = colour.pixel(x, y);
      bits.setPixel(x, y, c.r == palette::field.r && c.g == palette::field.g ? palette::black : palette::white);
    }
  out.push_back({178, "bar-background", bits});
  // 136: the field with a two-pixel frame, kept by the editor and never drawn.
  Image framed(452, 150, palette::panelEdgeDark);
  framed.fill(1, 0, 451, 149, rgb(8, 8, 9));
  drawBarField(framed, 2, 0);
  out.push_back({136, "bar-frame", framed});
}

}  // namespace tarnwick::art
