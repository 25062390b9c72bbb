// Slider handles: the delay bar states, the overlay's invisible handle, the fader and pointer handles.
#include "resources/gen/Catalogue.h"
#include "resources/gen/Theme.h"

namespace tarnwick::art {

namespace {

// A delay bar's handle: a 12-pixel block with a clear pixel on either side so neighbouring bars stay apart.
// Under the mouse it grows a white rim over the full 14 pixels.
Image barHandle(Colour light, Colour dark, bool hovered) {
  Image img(14, 7);
  if (hovered) {
    img.fill(0, 0, 14, 7, palette::white);
    img.fill(1, 1, 13, 6, dark);
    img.verticalGradient(2, 2, 12, 5, light, mix(light, dark, 128));
    return img;
  }
  img.fill(1, 0, 13, 7, dark);
  img.verticalGradient(2, 1, 12, 6, light, mix(light, dark, 100));
  img.hLine(2, 12, 1, mix(light, palette::white, 110));
  return img;
}

// The fader cap: light grey with a dark grip line through its centre row.
Image faderHandle(bool disabled) {
  Image img(14, 7);
  fillRoundRect(img, 0, 0, 14, 7, 1, palette::panelEdgeDark);
  const Colour top = disabled ? rgb(110, 112, 116) : rgb(222, 224, 228);
  const Colour bottom = disabled ? rgb(84, 86, 90) : rgb(156, 159, 165);
  img.verticalGradient(1, 1, 13, 6, top, bottom);
  img.hLine(1, 13, 3, disabled ? rgb(60, 62, 66) : palette::accentDark);
  return img;
}

// An arrowhead pointing up into the wave display above it.
Image pointer(Colour body) {
  Image img(9, 7);
  fillTriangle(img, -0.3, 7.0, 9.3, 7.0, 4.5, -0.4, palette::panelEdgeDark);
  fillTriangle(img, 1.2, 6.0, 7.8, 6.0, 4.5, 1.3, body);
  img.hLine(2, 7, 5, mix(body, palette::black, 60));
  return img;
}

// The level knob's marker: a round dot; the knob moves it around the face without turning it.
Image knobDot() {
  Image img(7, 10);
  fillEllipse(img, 3.5, 5.0, 3.0, 3.0, palette::panelEdgeDark);
  fillEllipse(img, 3.5, 5.0, 2.2, 2.2, palette::accent);
  fillEllipse(img, 3.0, 4.4, 0.9, 0.9, rgb(255, 228, 160));
  return img;
}

}  // namespace

void addHandles(Catalogue& out) {
  out.push_back({130, "bar-handle", barHandle(palette::accent, palette::accentDark, false)});
  out.push_back({153, "bar-handle-playing", barHandle(palette::playing, palette::playingDark, false)});
  out.push_back({154, "bar-handle-hovered", barHandle(palette::accent, palette::accentDark, true)});
  out.push_back({155, "bar-handle-playing-hovered", barHandle(palette::playing, palette::playingDark, true)});
  // The overlay's handle always sits in the first column; it must not hide bar 1's own handle.
  out.push_back({179, "overlay-handle", Image(14, 7)});
  out.push_back({180, "fader-handle", faderHandle(false)});
  out.push_back({132, "fader-handle-disabled", faderHandle(true)});
  out.push_back({151, "buffer-start-handle", pointer(palette::accent)});
  out.push_back({156, "buffer-start-handle-light", pointer(rgb(214, 216, 220))});
  out.push_back({158, "knob-handle", knobDot()});
}

}  // namespace tarnwick::art
