// Every bitmap the plug-in embeds, by resource id, and the functions that draw each family.
#pragma once

#include <vector>

#include "resources/gen/Canvas.h"
#include "resources/gen/Text.h"

namespace tarnwick::art {

struct Bitmap {
  int id;
  const char* name;  // file name stem of the preview PNG
  Image image;
};

using Catalogue = std::vector<Bitmap>;

// All bitmaps in ascending id order, at the current drawing scale (ScaleScope).
Catalogue drawAll(const FontSet& fonts);
// The scales the plug-in carries besides 1x, in halves (1.5x and 2x).
inline constexpr int kExtraScales[] = {3, 4};

void addButtons(const FontSet& fonts, Catalogue& out);
void addHandles(Catalogue& out);
void addKnobAndMeter(Catalogue& out);
void addBarGraph(Catalogue& out);
Image drawBackground(const FontSet& fonts);
Image drawAboutScreen(const FontSet& fonts);

// Pieces that appear both in the background and in a control's own bitmap.
void drawKnob(Image& img, int left, int top);
void drawSliderTrack(Image& img, int left, int ticks, bool stepped);
void drawBarField(Image& img, int left, int top);

const Bitmap* findIn(const Catalogue& c, int id);

}  // namespace tarnwick::art
