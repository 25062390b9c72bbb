// The about screen (137): name, maker, version, a few lines on using the instrument; a click closes it.
#include <cmath>

#include "resources/gen/Catalogue.h"
#include "resources/gen/Theme.h"
#include "resources/gen/Widgets.h"

namespace tarnwick::art {

namespace {

void titleBand(Image& img, const FontSet& f) {
  recess(img, 24, 24, 530, 132, palette::field);
  f.bold.draw(img, "Tarnwick VSTi", 34, 277, 66, palette::text, Align::centre);
  f.sans.draw(img, "granular sampler instrument", 12, 277, 86, palette::textDim, Align::centre, 0.5);
  // The factory delay shape as the editor shows it: one handle per grain on a faint grid.
  const int left = 277 - 16 * 14, top = 96;
  for (int x = left; x <= left + 32 * 14; x += 14)
    for (int y = top; y < 128; y += 3) img.set(x, y, palette::grid);
  for (int c = 0; c < 32; ++c) {
    const int x = left + c * 14, y = top + static_cast<int>(std::lround(layout::factoryShape[c] * 48));
    const bool lit = c == 14;
    img.fill(x + 1, y, x + 13, y + 5, lit ? palette::playingDark : palette::accentDark);
    img.fill(x + 2, y + 1, x + 12, y + 4, lit ? palette::playing : palette::accent);
  }
}

}  // namespace

Image drawAboutScreen(const FontSet& f) {
  using namespace layout;
  Image img(windowWidth, windowHeight);
  img.verticalGradient(0, 0, windowWidth, windowHeight, palette::panelTop, palette::panelBottom);
  img.frame(0, 0, windowWidth, windowHeight, palette::panelEdgeDark);
  img.frame(1, 1, windowWidth - 1, windowHeight - 1, palette::accentDark);
  titleBand(img, f);

  f.bold.draw(img, "pemberlo audio", 13, 277, 160, palette::accent, Align::centre, 0.5);
  f.sans.draw(img, "version 1.0  \u00B7  VST 2.4 instrument", 10, 277, 176, palette::textDim, Align::centre);

  const char* lines[] = {
      "Thirty-two grains per key, one after another: draw their gaps as the delay bars.",
      "Sweep across the bars to paint them;  Shift moves finely,  Ctrl-click sets half way.",
      "The last bar is the loop delay: with a key held, the grains start again after it.",
      "Click the wave to hear a key,  right-click to stop all grains.",
      "Click the key box for Master or Single Key Edit Mode;  right-click shows the key number.",
      "Copy \u25BC keeps the bars in a slot,  paste \u25B2 puts them back onto the edited key.",
  };
  int y = 206;
  for (const char* line : lines) {
    f.sans.draw(img, line, 10, 277, y, palette::text, Align::centre);
    y += 16;
  }
  img.hLine(150, 404, 312, palette::panelEdgeLight);
  f.sans.draw(img, "Pictures, sound and code \u00A9 pemberlo audio", 9, 277, 328, palette::textDim, Align::centre);
  f.bold.draw(img, "click anywhere to close", 9, 277, 344, palette::accent, Align::centre);
  return img;
}

}  // namespace tarnwick::art
