// tarnwick-lv2-turtle: writes the LV2 bundle's manifest.ttl and Tarnwick.ttl into the bundle folder.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "plugin/lv2/PortLayout.h"
#include "plugin/lv2/gen/Turtle.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: tarnwick-lv2-turtle BUNDLE_FOLDER MINOR_VERSION MICRO_VERSION\n");
  return 2;
}

bool readVersion(const char* text, int32_t& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000000) return false;
  out = static_cast<int32_t>(value);
  return true;
}

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (file) return true;
  std::fprintf(stderr, "tarnwick-lv2-turtle: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarnwick::lv2;
  BundleVersion version{};
  if (argc != 4 || !readVersion(argv[2], version.minor) || !readVersion(argv[3], version.micro)) return usage();
  const std::string folder = argv[1];
  const bool written = writeText(folder + "/" + kManifestFile, manifestTurtle()) &&
                       writeText(folder + "/" + kPluginTurtleFile, pluginTurtle(version, factoryValues()));
  return written ? 0 : 1;
}
