// A host process without X11 libraries of its own: loads Tarnwick.so, renders, asks for the editor in a
// given parent window and reports on stdout whether libX11 was mapped at each step, for XlibLoadingTest.
// Usage: tarnwick_xlib_probe_host PLUGIN PARENT_WINDOW_ID
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "tools/hostlib/PluginHost.h"

namespace {

bool xlibMapped() { return tarnwick::platform::DynamicLibrary::isLoaded("libX11.so.6"); }

// A note through a few blocks; false when the output holds anything but finite samples.
bool renders(tarnwick::host::PluginHost& plugin) {
  std::vector<float> left(256), right(256);
  plugin.sendMidi({{0, 0x90, 60, 100}});
  bool finite = true;
  for (int block = 0; block < 8; ++block) {
    plugin.process(left.data(), right.data(), 256);
    for (size_t i = 0; i < left.size(); ++i) finite = finite && std::isfinite(left[i]) && std::isfinite(right[i]);
  }
  return finite;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PLUGIN PARENT_WINDOW_ID\n", argv[0]);
    return 2;
  }
  const uintptr_t parent = static_cast<uintptr_t>(std::strtoull(argv[2], nullptr, 10));
  std::printf("mapped-at-start=%d\n", xlibMapped() ? 1 : 0);
  std::string error;
  std::unique_ptr<tarnwick::host::PluginHost> plugin = tarnwick::host::PluginHost::load(argv[1], &error);
  if (!plugin) {
    std::printf("load-error=%s\n", error.c_str());
    return 1;
  }
  plugin->resume();
  std::printf("renders-before-editor=%d\n", renders(*plugin) ? 1 : 0);
  std::printf("mapped-after-render=%d\n", xlibMapped() ? 1 : 0);
  const intptr_t opened = plugin->dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent));
  std::printf("editor-opened=%d\n", opened != 0 ? 1 : 0);
  std::printf("mapped-with-editor=%d\n", xlibMapped() ? 1 : 0);
  for (int i = 0; i < 5; ++i) plugin->dispatch(effEditIdle);
  plugin->dispatch(effEditClose);
  plugin->setParameter(0, 0.25f);
  std::printf("parameter-kept=%d\n", plugin->getParameter(0) == 0.25f ? 1 : 0);
  std::printf("renders-after-editor=%d\n", renders(*plugin) ? 1 : 0);
  plugin->close();
  plugin.reset();
  std::printf("mapped-after-unload=%d\n", xlibMapped() ? 1 : 0);
  return 0;
}
