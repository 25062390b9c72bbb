// Drawing pieces shared by several bitmaps: recessed fields, plates, key caps and LEDs.
#pragma once

#include <string>

#include "resources/gen/Canvas.h"
#include "resources/gen/Text.h"

namespace tarnwick::art {

// A field sunk into the panel: [x0, x1) × [y0, y1) is its inside; the rims lie just outside it.
void recess(Image& img, int x0, int y0, int x1, int y1, Colour fill);
// A shallow plate that groups controls.
void plate(Image& img, int x0, int y0, int x1, int y1);

struct KeyLook {
  std::string label;
  bool led = false;      // on/off switch: a lamp left of the label
  bool on = false;       // lamp lit, label in the accent colour
  bool pressed = false;  // kick button held down
  bool hover = false;    // the mouse rests on it
  bool menu = false;     // a small triangle after the label
  double labelPx = 0;    // the label's size; 0: by the key's height
  int lampSize = 0;      // the lamp's diameter; 0: by the key's height
  int baseline = 0;      // the label's baseline row; 0: the label centred
};

// One state of a push button, w × h, opaque except for its rounded corners.
Image keyCap(const FontSet& fonts, int w, int h, const KeyLook& look);

// A round lamp of the given diameter with its top-left corner at (x, y).
void lamp(Image& img, int x, int y, int size, bool lit);

}  // namespace tarnwick::art
