// Built as a libX11.so.6 that has XOpenDisplay and nothing else the editor needs: the plug-in must give up
// on such a library without calling into it.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) void* XOpenDisplay(const char* /*name*/) {
  std::abort();  // reached only if an incomplete Xlib were used
}
