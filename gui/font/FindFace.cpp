// Chooses the embedded face for a size and style.
#include "gui/font/FontAtlas.h"

#include <cstdlib>

namespace tarnwick::gui::font {

const Face& findFace(int32_t pixelSize, int32_t style, int32_t scaleHalves) {
  style &= 3;
  bool scaleCarried = false;
  for (int32_t i = 0; i < kFaceCount && !scaleCarried; ++i) scaleCarried = kFaces[i].scaleHalves == scaleHalves;
  if (!scaleCarried) scaleHalves = 2;
  const Face* best = nullptr;
  for (int32_t i = 0; i < kFaceCount; ++i) {
    const Face& f = kFaces[i];
    if (f.style != style || f.scaleHalves != scaleHalves) continue;
    if (best == nullptr) {
      best = &f;
      continue;
    }
    const int32_t d = std::abs(f.pixelSize - pixelSize), bestD = std::abs(best->pixelSize - pixelSize);
    if (d < bestD || (d == bestD && f.pixelSize < best->pixelSize)) best = &f;
  }
  return best ? *best : kFaces[0];
}

}  // namespace tarnwick::gui::font
