// The exported entry: builds one instance per call, or refuses a host that reports no version.
#include <new>

#include "plugin/aPlug.h"

namespace {

AEffect* createInstance(audioMasterCallback host) {
  if (!host) return nullptr;
  if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  try {
    auto* plug = new (std::nothrow) tarnwick::aPlug(host);
    return plug ? plug->effect() : nullptr;
  } catch (...) {
    return nullptr;  // no exception crosses the host boundary
  }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) { return createInstance(host); }

// The older hosts' name for the same entry; "main" cannot be declared as such in C++.
__attribute__((visibility("default"))) AEffect* tarnwickLegacyMain(audioMasterCallback host) __asm__("main");
AEffect* tarnwickLegacyMain(audioMasterCallback host) { return createInstance(host); }
}
