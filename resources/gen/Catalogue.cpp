// Draws every bitmap in id order; controls that show the background under them are cut from it.
#include "resources/gen/Catalogue.h"

#include <algorithm>

#include "resources/gen/Theme.h"

namespace tarnwick::art {

Catalogue drawAll(const FontSet& fonts) {
  using namespace layout;
  Catalogue all;
  Image background = drawBackground(fonts);
  // The faders and the knob draw window background 128 under themselves; their size bitmaps show the same.
  all.push_back({129, "fader-size", background.crop(sliderLeft[0], sliderTop, 20, sliderBottom - sliderTop)});
  all.push_back({157, "knob", background.crop(levelKnob.left, levelKnob.top, levelKnob.width(), levelKnob.height())});
  all.push_back({128, "background", std::move(background)});
  all.push_back({137, "about", drawAboutScreen(fonts)});
  addButtons(fonts, all);
  addHandles(all);
  addKnobAndMeter(all);
  addBarGraph(all);
  // Edges are either drawn or not: a toolkit that only masks transparent pixels shows them the same way.
  for (Bitmap& b : all) b.image.hardenAlpha();
  std::sort(all.begin(), all.end(), [](const Bitmap& a, const Bitmap& b) { return a.id < b.id; });
  return all;
}

const Bitmap* findIn(const Catalogue& c, int id) {
  for (const Bitmap& b : c)
    if (b.id == id) return &b;
  return nullptr;
}

}  // namespace tarnwick::art
