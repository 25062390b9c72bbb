// Text for the bitmaps: TrueType glyphs rasterised at generation time and blended onto a canvas.
#pragma once

#include <string>
#include <vector>

#include "resources/gen/Canvas.h"

struct stbtt_fontinfo;

namespace tarnwick::art {

enum class Align { left, centre, right };

class Font {
 public:
  Font();
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool load(const std::string& path);
  bool loaded() const { return info_ != nullptr; }

  // Advance width in pixels of the text at em size px (plus extra spacing per glyph gap).
  int measure(const std::string& utf8, double px, double tracking = 0) const;
  // Height above the baseline of a capital letter at em size px, rounded.
  int capHeight(double px) const;
  // Draws with the baseline at row `baseline`.
  void draw(Image& img, const std::string& utf8, double px, int x, int baseline, Colour c, Align align = Align::left,
            double tracking = 0) const;
  // Reads from bottom to top (turned a quarter to the left), centred on (cx, cy).
  void drawUpward(Image& img, const std::string& utf8, double px, int cx, int cy, Colour c, double tracking = 0) const;

 private:
  std::vector<unsigned char> data_;
  stbtt_fontinfo* info_ = nullptr;
};

struct FontSet {
  Font sans, bold, condensed, condensedBold;
  // Loads the DejaVu Sans faces from a folder; false (with a message) when one is missing.
  bool load(const std::string& folder);
};

std::vector<int> decodeUtf8(const std::string& s);

}  // namespace tarnwick::art
