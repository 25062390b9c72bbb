// tarnwick-bitmaps: draws the editor's bitmaps and writes them as C++ source, optionally with PNG previews.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/gen/Catalogue.h"
#include "resources/gen/Encoder.h"
#include "resources/gen/Preview.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: tarnwick-bitmaps --fonts DIR [--source OUT.cpp] [--png DIR]\n"
               "  --fonts   folder holding DejaVuSans.ttf, DejaVuSans-Bold.ttf and the condensed faces\n"
               "  --source  the generated C++ file with every bitmap\n"
               "  --png     folder for one PNG per bitmap and the window mock-ups\n");
  return 2;
}

bool writeText(const std::string& path, const std::string& text) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code error;
  if (!parent.empty()) std::filesystem::create_directories(parent, error);
  std::ofstream f(path, std::ios::binary);
  f << text;
  return static_cast<bool>(f.flush());
}

bool writePreviews(const std::string& dir, const tarnwick::art::Catalogue& all, const tarnwick::art::FontSet& fonts) {
  using namespace tarnwick::art;
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  for (const Bitmap& b : all)
    if (!writePng(dir + "/" + std::to_string(b.id) + "-" + b.name + ".png", b.image)) return false;
  const Image fresh = mockup(all, fonts, false), inUse = mockup(all, fonts, true);
  return writePng(dir + "/mockup.png", fresh) && writePng(dir + "/mockup-in-use.png", inUse) &&
         writePng(dir + "/mockup-top-2x.png", zoom(inUse, 0, 0, 554, 62, 2)) &&
         writePng(dir + "/mockup-bottom-2x.png", zoom(inUse, 0, 260, 554, 96, 2));
}

}  // namespace

int main(int argc, char** argv) {
  std::string fontDir, source, pngDir;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage();
    if (arg == "--fonts")
      fontDir = argv[++i];
    else if (arg == "--source")
      source = argv[++i];
    else if (arg == "--png")
      pngDir = argv[++i];
    else
      return usage();
  }
  if (fontDir.empty() || (source.empty() && pngDir.empty())) return usage();

  tarnwick::art::FontSet fonts;
  if (!fonts.load(fontDir)) return 1;
  const tarnwick::art::Catalogue all = tarnwick::art::drawAll(fonts);
  std::vector<tarnwick::art::ScaledCatalogue> scaled;
  if (!source.empty()) {
    for (int halves : tarnwick::art::kExtraScales) {
      const tarnwick::art::ScaleScope scope(halves);
      scaled.push_back({halves, tarnwick::art::drawAll(fonts)});
    }
  }
  if (!source.empty() && !writeText(source, tarnwick::art::generatedSource(all, scaled))) {
    std::fprintf(stderr, "tarnwick-bitmaps: cannot write %s\n", source.c_str());
    return 1;
  }
  if (!pngDir.empty() && !writePreviews(pngDir, all, fonts)) {
    std::fprintf(stderr, "tarnwick-bitmaps: cannot write the previews into %s\n", pngDir.c_str());
    return 1;
  }
  return 0;
}
