// PNG artefacts of the X11 tests (what the real windows showed), written with stb_image_write when
// $TARNWICK_X11_ARTEFACTS names a folder.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarnwick::test {

void saveArtefact(const char* name, const std::vector<uint32_t>& colours, int width, int height) {
  const char* folder = std::getenv("TARNWICK_X11_ARTEFACTS");
  if (folder == nullptr || *folder == '\0' || colours.size() < static_cast<size_t>(width) * height) return;
  std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
  for (size_t i = 0; i < rgb.size() / 3; ++i) {
    rgb[i * 3] = static_cast<unsigned char>(colours[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(colours[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(colours[i]);
  }
  const std::string path = std::string(folder) + "/" + name + ".png";
  stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3);
}

}  // namespace tarnwick::test
