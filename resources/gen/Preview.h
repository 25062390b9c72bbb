// PNG previews of the bitmaps and mock-ups of the whole window with every control in place.
#pragma once

#include <string>

#include "resources/gen/Catalogue.h"

namespace tarnwick::art {

bool writePng(const std::string& path, const Image& img);

// The window as it opens (no audio, factory values) or in use (waveform, playing bar, switches on, hover).
Image mockup(const Catalogue& all, const FontSet& fonts, bool inUse);

// Nearest-neighbour enlargement of a part of an image, for checking single pixels.
Image zoom(const Image& img, int x, int y, int w, int h, int factor);

}  // namespace tarnwick::art
