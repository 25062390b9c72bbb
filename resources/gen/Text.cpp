// Glyph rasterisation with stb_truetype; coverage gets a mild contrast curve so small captions stay solid.
#include "resources/gen/Text.h"

#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tarnwick::art {

namespace {

// Lifts light coverage: unhinted 8-10 px glyphs otherwise look washed out on dark panels.
int contrast(int coverage) {
  static const std::vector<int> table = [] {
    std::vector<int> t(256);
    for (int i = 0; i < 256; ++i)
      t[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(255.0 * std::pow(i / 255.0, 0.8)));
    return t;
  }();
  return table[static_cast<std::size_t>(std::clamp(coverage, 0, 255))];
}

}  // namespace

std::vector<int> decodeUtf8(const std::string& s) {
  std::vector<int> out;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int cp = c, extra = 0;
    if (c >= 0xF0)
      cp = c & 0x07, extra = 3;
    else if (c >= 0xE0)
      cp = c & 0x0F, extra = 2;
    else if (c >= 0xC0)
      cp = c & 0x1F, extra = 1;
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    out.push_back(cp);
  }
  return out;
}

Font::Font() = default;
Font::~Font() { delete info_; }

bool Font::load(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  data_.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  auto* info = new stbtt_fontinfo;
  if (data_.empty() || !stbtt_InitFont(info, data_.data(), stbtt_GetFontOffsetForIndex(data_.data(), 0))) {
    delete info;
    return false;
  }
  delete info_;
  info_ = info;
  return true;
}

int Font::measure(const std::string& utf8, double px, double tracking) const {
  const float scale = stbtt_ScaleForMappingEmToPixels(info_, static_cast<float>(px));
  const std::vector<int> cps = decodeUtf8(utf8);
  double pen = 0;
  for (std::size_t i = 0; i < cps.size(); ++i) {
    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(info_, cps[i], &advance, &lsb);
    pen += advance * scale;
    if (i + 1 < cps.size()) pen += stbtt_GetCodepointKernAdvance(info_, cps[i], cps[i + 1]) * scale + tracking;
  }
  return static_cast<int>(std::lround(pen));
}

int Font::capHeight(double px) const {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetCodepointBox(info_, 'H', &x0, &y0, &x1, &y1);
  return static_cast<int>(std::lround(y1 * stbtt_ScaleForMappingEmToPixels(info_, static_cast<float>(px))));
}

void Font::draw(Image& img, const std::string& utf8, double px, int x, int baseline, Colour c, Align align,
                double tracking) const {
  // In the image's pixels: the em size, the spacing and the start grow with its scale.
  const double s = img.scale();
  px *= s;
  tracking *= s;
  const double left = x * s;
  baseline = img.toPixel(baseline);
  const float scale = stbtt_ScaleForMappingEmToPixels(info_, static_cast<float>(px));
  const int width = measure(utf8, px, tracking);
  double pen = align == Align::left ? left : align == Align::centre ? left - width / 2 : left - width;
  const std::vector<int> cps = decodeUtf8(utf8);
  for (std::size_t i = 0; i < cps.size(); ++i) {
    // Whole-pixel origin plus the glyph's own fraction: even spacing without smearing every stem.
    const double origin = std::floor(pen);
    const float shift = static_cast<float>(pen - origin);
    int w = 0, h = 0, xoff = 0, yoff = 0;
    unsigned char* glyph =
        stbtt_GetCodepointBitmapSubpixel(info_, scale, scale, shift, 0.0f, cps[i], &w, &h, &xoff, &yoff);
    const int gx = static_cast<int>(origin) + xoff, gy = baseline + yoff;
    for (int yy = 0; yy < h; ++yy)
      for (int xx = 0; xx < w; ++xx) img.blendPixel(gx + xx, gy + yy, c, contrast(glyph[yy * w + xx]));
    stbtt_FreeBitmap(glyph, nullptr);
    int advance = 0, lsb = 0;
    stbtt_GetCodepointHMetrics(info_, cps[i], &advance, &lsb);
    pen += advance * scale;
    if (i + 1 < cps.size()) pen += stbtt_GetCodepointKernAdvance(info_, cps[i], cps[i + 1]) * scale + tracking;
  }
}

void Font::drawUpward(Image& img, const std::string& utf8, double px, int cx, int cy, Colour c, double tracking) const {
  const int width = measure(utf8, px, tracking), cap = capHeight(px);
  const int descent = static_cast<int>(std::ceil(px * 0.25));
  const ScaleScope same(img.scaleHalves());
  Image strip(width + 2, cap + descent + 2);
  strip.fill(0, 0, strip.width(), strip.height(), withAlpha(c, 0));
  draw(strip, utf8, px, 1, cap + 1, c, Align::left, tracking);
  // Turned a quarter to the left: strip pixel (x, y) lands at (y, width - 1 - x); centred on the cap height.
  const int left = img.toPixel(cx - (cap + 2) / 2), top = img.toPixel(cy - strip.width() / 2);
  const int w = strip.pixelWidth();
  for (int y = 0; y < strip.pixelHeight(); ++y)
    for (int x = 0; x < w; ++x) {
      const Colour p = strip.pixel(x, y);
      img.blendPixel(left + y, top + w - 1 - x, withAlpha(c, 255), p.a);
    }
}

bool FontSet::load(const std::string& folder) {
  const struct {
    Font* font;
    const char* file;
  } faces[] = {{&sans, "DejaVuSans.ttf"},
               {&bold, "DejaVuSans-Bold.ttf"},
               {&condensed, "DejaVuSansCondensed.ttf"},
               {&condensedBold, "DejaVuSansCondensed-Bold.ttf"}};
  for (const auto& face : faces) {
    const std::string path = folder + "/" + face.file;
    if (!face.font->load(path)) {
      std::fprintf(stderr, "tarnwick-bitmaps: cannot read font %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace tarnwick::art
