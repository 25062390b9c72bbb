// PNG artefacts of the tests, written with stb_image_write (tests only; never in the plug-in).
#include "tests/support/PngArtefact.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarnwick::test {

void savePngArtefact(const char* folderVariable, const char* name, const uint32_t* pixels, int32_t width,
                     int32_t height, int32_t stride, bool withAlpha) {
  const char* folder = std::getenv(folderVariable);
  if (folder == nullptr || *folder == '\0' || pixels == nullptr || width <= 0 || height <= 0) return;
  const size_t channels = withAlpha ? 4 : 3;
  std::vector<unsigned char> bytes(static_cast<size_t>(width) * static_cast<size_t>(height) * channels);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x)];
      unsigned char* out =
          &bytes[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * channels];
      out[0] = static_cast<unsigned char>(p >> 16);
      out[1] = static_cast<unsigned char>(p >> 8);
      out[2] = static_cast<unsigned char>(p);
      if (withAlpha) out[3] = static_cast<unsigned char>(p >> 24);
    }
  }
  const std::string path = std::string(folder) + "/" + name + ".png";
  stbi_write_png(path.c_str(), width, height, static_cast<int>(channels), bytes.data(),
                 width * static_cast<int>(channels));
}

}  // namespace tarnwick::test
