// PNG artefacts of the toolkit tests, written with stb_image_write (tests only; never in the plug-in).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <cstdlib>
#include <string>
#include <vector>

#include "GuiTestSupport.h"

namespace tarnwick::gui::test {

void saveArtefact(const char* name, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
  const char* folder = std::getenv("TARNWICK_GUI_ARTEFACTS");
  if (folder == nullptr || *folder == '\0' || pixels == nullptr) return;
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x)];
      unsigned char* out = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
      out[0] = static_cast<unsigned char>(p >> 16);
      out[1] = static_cast<unsigned char>(p >> 8);
      out[2] = static_cast<unsigned char>(p);
      out[3] = static_cast<unsigned char>(p >> 24);
    }
  }
  const std::string path = std::string(folder) + "/" + name + ".png";
  stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
}

}  // namespace tarnwick::gui::test
