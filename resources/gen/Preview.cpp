// Mock-ups: the background with each control's bitmap at its layout rectangle, drawn as the toolkit would.
#include "resources/gen/Preview.h"

#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>

#include "resources/gen/Theme.h"

namespace tarnwick::art {

namespace {

using namespace layout;

const Image& bitmap(const Catalogue& all, int id) { return findIn(all, id)->image; }

Image half(const Image& img, bool lower) {
  return img.crop(0, lower ? img.height() / 2 : 0, img.width(), img.height() / 2);
}

void put(Image& canvas, const Image& img, int x, int y) { canvas.draw(img, x, y); }

// A stand-in recording: a few decaying bursts with different colours of sound.
double sampleAt(int i, bool right) {
  const double t = i / 44100.0;
  const double burst = std::fmod(t, 0.9);
  const double env = std::exp(-burst * 5.0) * (0.35 + 0.6 * std::fabs(std::sin(t * 2.3)));
  const double tone =
      std::sin(2 * 3.14159265 * (right ? 221.0 : 220.0) * t) * 0.7 + std::sin(2 * 3.14159265 * 1310.0 * t) * 0.3;
  return std::clamp(env * tone, -1.0, 1.0);
}

// The wave display's drawing: red columns rising toward the middle, a gold grain window.
void waveform(Image& canvas, double splitStart, double grainLength, int frames) {
  const int left = waveDisplay.left, top = waveDisplay.top, mid = 28;
  canvas.fill(left, top, waveDisplay.right, waveDisplay.bottom, palette::black);
  const float step = 530.0f / static_cast<float>(frames + 1);
  int i = 0, red = 100;
  for (int x = 0; x < 530; ++x) {
    if (x % 2 == 0) red += x < 265 ? 1 : -1;
    double peakL = 0, peakR = 0;
    for (float acc = step; acc < 1.0f && i < frames; acc += step, ++i) {
      peakL = std::max(peakL, std::fabs(sampleAt(i, false)));
      peakR = std::max(peakR, std::fabs(sampleAt(i, true)));
    }
    const int up = static_cast<int>(mid * peakL), down = static_cast<int>(mid * peakR);
    if (up || down)
      canvas.fill(left + x, top + mid - up - 1, left + x + 1, top + mid + down + 2, rgb(red - 30, 60, 60));
    canvas.fill(left + x, top + mid - up, left + x + 1, top + mid + down + 1, rgb(red, 80, 80));
  }
  const int wx = static_cast<int>(splitStart * 530 / frames), ww = static_cast<int>(grainLength * 530 / frames);
  canvas.frame(left + wx, top + 1, left + wx + ww, top + 57, rgb(136, 136, 136));
  canvas.frame(left + wx + 1, top, left + wx + ww + 1, top + 56, rgb(198, 166, 0));
}

void slotCurve(Image& canvas, int j) {
  const Rect r = slotDisplay(j);
  double prev = 0;
  for (int k = 0; k < 32; ++k) {
    const double t = k / 31.0;
    const double shapes[10] = {factoryShape[k],
                               t,
                               1 - t,
                               0.5 + 0.45 * std::sin(t * 6.2832),
                               (k % 8) / 8.0,
                               t * t,
                               1 - t * t,
                               k % 2 ? 0.2 : 0.8,
                               std::fabs(1 - 2 * t),
                               k < 16 ? 0.25 : 0.75};
    const double v = shapes[j];
    const double y0 = r.top + std::trunc(22 * (k == 0 ? v : prev)), y1 = r.top + std::trunc(22 * v);
    strokeSegment(canvas, r.left + k, y0, r.left + k + 1, y1, 2.0, rgb(60, 62 + 2 * k, 60));
    prev = v;
  }
}

void label(Image& canvas, const FontSet& f, const Rect& r, const std::string& text, Colour ink) {
  const int mid = (r.left + r.right) / 2, base = r.bottom - 4;
  f.bold.draw(canvas, text, 11, mid + 1, base + 1, rgb(127, 127, 127), Align::centre);
  f.bold.draw(canvas, text, 11, mid, base, ink, Align::centre);
}

}  // namespace

bool writePng(const std::string& path, const Image& img) {
  std::vector<unsigned char> rgba;
  rgba.reserve(img.pixels().size() * 4);
  for (uint32_t p : img.pixels()) {
    const Colour c = unpackArgb(p);
    rgba.insert(rgba.end(), {c.r, c.g, c.b, c.a});
  }
  return stbi_write_png(path.c_str(), img.pixelWidth(), img.pixelHeight(), 4, rgba.data(), img.pixelWidth() * 4) != 0;
}

Image zoom(const Image& img, int x, int y, int w, int h, int factor) {
  Image out(w * factor, h * factor);
  for (int yy = 0; yy < out.height(); ++yy)
    for (int xx = 0; xx < out.width(); ++xx) out.set(xx, yy, img.get(x + xx / factor, y + yy / factor));
  return out;
}

Image mockup(const Catalogue& all, const FontSet& f, bool inUse) {
  Image canvas = bitmap(all, 128);
  const int frames = 300000;
  if (inUse) waveform(canvas, frames * 0.31, frames * 0.06, frames);
  put(canvas, bitmap(all, 151),
      bufferStartMin + static_cast<int>((inUse ? 0.31 : 0.0) * (bufferStartMax - bufferStartMin)), bufferStart.top);

  label(canvas, f, statusLabel, inUse ? "Delay : 212 ms" : "Tarnwick VSTi V1.0", rgb(200, 200, 200));
  label(canvas, f, keyLabel, inUse ? "C 3" : "MASTER", inUse ? palette::black : rgb(198, 81, 82));

  put(canvas, findIn(all, 178)->image, barArea.left, barArea.top);
  const int playingBar = 9, hoveredBar = 16;
  for (int i = 0; i < barCount; ++i) {
    int id = 130;
    if (inUse && i == playingBar) id = 153;
    if (inUse && i == hoveredBar) id = 154;
    if (inUse && i == 21) id = 155;
    const int y = barHandleMin + static_cast<int>(std::lround(factoryShape[i] * (barHandleMax - barHandleMin)));
    put(canvas, bitmap(all, id), barArea.left + i * barWidth, y);
  }
  put(canvas, bitmap(all, 179), barArea.left, barHandleMin);

  for (int j = 0; j < slotCount; ++j) {
    put(canvas, half(bitmap(all, 140), inUse && j == 3), copyButton(j).left, copyButton(j).top);
    put(canvas, half(bitmap(all, 141), false), pasteButton(j).left, pasteButton(j).top);
    slotCurve(canvas, j);
  }

  const double faderValue[3] = {0.5, 0.375, 0.5};
  const bool fromTop[3] = {true, false, false};
  for (int s = 0; s < 3; ++s) {
    const double pos = fromTop[s] ? faderValue[s] : 1.0 - faderValue[s];
    put(canvas, bitmap(all, 180), sliderLeft[s],
        sliderHandleMin + static_cast<int>(std::lround(pos * (sliderHandleMax - sliderHandleMin))));
  }

  const double level = inUse ? 0.75 : 0.5, radius = levelKnob.width() / 2.0;
  const double angle = (225.0 - 270.0 * level) * 3.14159265358979 / 180.0;
  const int hx = static_cast<int>(radius + std::cos(angle) * (radius - knobHandleInset) + 0.5);
  const int hy = static_cast<int>(radius - std::sin(angle) * (radius - knobHandleInset) + 0.5);
  put(canvas, bitmap(all, 158), levelKnob.left + hx - 3, levelKnob.top + hy - 5);

  put(canvas, bitmap(all, 147), meter.left, meter.top);
  if (inUse) {
    const int cut = static_cast<int>((1.0 - 0.7) * meter.height());
    put(canvas, bitmap(all, 146).crop(0, cut, 16, meter.height() - cut), meter.left, meter.top + cut);
  }

  put(canvas, half(bitmap(all, inUse ? 168 : 163), false), loadButton.left, loadButton.top);
  put(canvas, half(bitmap(all, 135), inUse), floodButton.left, floodButton.top);
  put(canvas, bitmap(all, 172), bankMenu.left, bankMenu.top);
  put(canvas, half(bitmap(all, 173), false), saveButton.left, saveButton.top);
  put(canvas, half(bitmap(all, 160), inUse), moveButton.left, moveButton.top);
  put(canvas, half(bitmap(all, inUse ? 166 : 161), false), morphButton.left, morphButton.top);
  put(canvas, half(bitmap(all, 139), inUse), triggerButton.left, triggerButton.top);
  put(canvas, bitmap(all, 170), mainMenu.left, mainMenu.top);
  return canvas;
}

}  // namespace tarnwick::art
