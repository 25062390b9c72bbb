// The window background (128): panels, recessed fields and captions under every control.
#include <cmath>
#include <string>

#include "resources/gen/Catalogue.h"
#include "resources/gen/Theme.h"
#include "resources/gen/Widgets.h"

namespace tarnwick::art {

namespace {

using namespace layout;

void header(Image& img, const FontSet& f) {
  f.bold.draw(img, "TARNWICK", 9, statusLabel.left, 10, palette::accent, Align::left, 1.0);
  const int x = statusLabel.left + f.bold.measure("TARNWICK", 9, 1.0) + 6;
  f.sans.draw(img, "granular sampler", 8, x, 10, palette::textDim);
  f.sans.draw(img, "edit key", palette::hintPx, (keyLabel.left + keyLabel.right) / 2, 10, palette::hint, Align::centre);
}

void labelFields(Image& img) {
  recess(img, statusLabel.left, statusLabel.top, statusLabel.right, statusLabel.bottom, palette::field);
  // The key label draws black (or red for the master row) text: it needs a light field.
  recess(img, keyLabel.left, keyLabel.top, keyLabel.right, keyLabel.bottom, palette::keyLabelField);
  img.hLine(keyLabel.left + 1, keyLabel.right, keyLabel.top + 1, palette::keyLabelShade);
}

void buttonPlates(Image& img) {
  plate(img, 9, 33, 135, 58);
  plate(img, 139, 33, 303, 58);
  plate(img, 306, 33, 477, 58);
  plate(img, 480, 33, 548, 58);
}

void waveField(Image& img, const FontSet& f) {
  // The display clears (12, 61)-(543, 118) when it has nothing to show: the same black.
  img.fill(12, 61, 543, 118, palette::black);
  img.frame(11, 60, 544, 119, rgb(8, 8, 9));
  img.vLine(544, 60, 120, palette::fieldLip);
  img.hLine(10, 545, 59, palette::panelEdgeDark);
  img.vLine(10, 59, 119, palette::panelEdgeDark);
  const int mid = (waveDisplay.left + waveDisplay.right) / 2;
  f.sans.draw(img, "no audio loaded  \u2013  LOAD AUDIO reads a WAV or AIFF file", 9, mid, 87, palette::textFaint,
              Align::centre);
  f.sans.draw(img, "click the wave to hear its key, right-click to stop all grains", 9, mid, 101, palette::textFaint,
              Align::centre);
}

void bufferStartTrack(Image& img, const FontSet& f) {
  const int x0 = bufferStartMin + 4, x1 = bufferStartMax + 5;  // handle centres at both ends
  img.fill(x0 - 1, 120, x1 + 1, 121, palette::panelEdgeDark);
  img.fill(x0, 121, x1, 123, rgb(8, 8, 9));
  img.hLine(x0, x1 + 1, 123, palette::fieldLip);
  for (int k = 0; k <= 4; ++k) {
    const int x = x0 + static_cast<int>(std::lround(k * (x1 - 1 - x0) / 4.0));
    img.vLine(x, 124, 127, k == 0 || k == 4 ? palette::textDim : palette::textFaint);
  }
  f.sans.draw(img, "buffer start", palette::hintPx, x0 + 12, 132, palette::hint);
}

void barGraph(Image& img, const FontSet& f) {
  img.frame(barArea.left - 1, barArea.top - 1, barArea.right + 1, barArea.bottom + 1, rgb(8, 8, 9));
  img.hLine(barArea.left - 1, barArea.right + 2, barArea.bottom + 1, palette::fieldLip);
  img.vLine(barArea.right + 1, barArea.top - 1, barArea.bottom + 1, palette::fieldLip);
  drawBarField(img, barArea.left, barArea.top);
  for (int c = 0; c <= barCount; c += 4)
    img.vLine(barArea.left + c * barWidth, barArea.bottom + 2, barArea.bottom + 4, palette::textFaint);
  const int midY = (barArea.top + barArea.bottom) / 2;
  f.bold.drawUpward(img, "GRAIN DELAYS", 8, 7, midY, palette::textDim, 0.6);
  f.bold.drawUpward(img, "LOOP", 8, barArea.right + 8, midY, palette::textDim, 0.6);
}

void faders(Image& img, const FontSet& f) {
  drawSliderTrack(img, sliderLeft[0], 5, false);
  drawSliderTrack(img, sliderLeft[1], 9, true);
  drawSliderTrack(img, sliderLeft[2], 5, false);
  const int bottom = sliderHandleMax + 6;
  const int centre[3] = {sliderLeft[0] + 7, sliderLeft[1] + 7, sliderLeft[2] + 7};
  img.vLine(centre[1], bottom, bottom + 11, palette::textFaint);
  f.bold.draw(img, "release", 8, centre[0], bottom + 8, palette::text, Align::centre);
  f.bold.draw(img, "grain", 8, centre[1], bottom + 19, palette::text, Align::centre);
  f.bold.draw(img, "fade", 8, centre[2] + 2, bottom + 8, palette::text, Align::centre);
}

void copySlots(Image& img, const FontSet& f) {
  for (int j = 0; j < slotCount; ++j) {
    const int x = slotX(j);
    plate(img, x - 4, 289, x + 36, 343);
    const Rect s = slotDisplay(j);
    recess(img, s.left, s.top, s.right, s.bottom, palette::field);
  }
  f.sans.draw(img, "\u25BC copy the bars into a slot      \u25B2 paste a slot onto the bars", palette::hintPx,
              slotX(0) - 3, 353, palette::hint);
}

void levelAndMeter(Image& img, const FontSet& f) {
  drawKnob(img, levelKnob.left, levelKnob.top);
  f.bold.draw(img, "level", 8, levelKnob.left + 23, 352, palette::text, Align::centre);
  recess(img, meter.left, meter.top, meter.right, meter.bottom, palette::black);
  f.bold.draw(img, "peak", 8, (meter.left + meter.right) / 2, 352, palette::text, Align::centre);
}

}  // namespace

Image drawBackground(const FontSet& f) {
  Image img(windowWidth, windowHeight);
  img.verticalGradient(0, 0, windowWidth, windowHeight, palette::panelTop, palette::panelBottom);
  img.frame(0, 0, windowWidth, windowHeight, palette::panelEdgeDark);
  img.hLine(1, windowWidth - 1, 1, withAlpha(palette::panelEdgeLight, 160));
  header(img, f);
  labelFields(img);
  buttonPlates(img);
  waveField(img, f);
  bufferStartTrack(img, f);
  barGraph(img, f);
  faders(img, f);
  copySlots(img, f);
  levelAndMeter(img, f);
  return img;
}

}  // namespace tarnwick::art
