// The exported entry: builds one instance per call, or refuses a host that reports no version.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "gui/CMessageWindow.h"
#include "plugin/aPlug.h"

#if defined(_WIN32)
#include "platform/MessageBoxWin32.h"
#endif

namespace {

// Message boxes appear as the system's (Windows) or the toolkit's own windows, unless
// TARNWICK_MESSAGE_BOXES=stderr asks for reports on standard error (the headless host's choice: nobody
// is there to click; Yes/No boxes then answer No).
void installMessageBoxes() {
  static std::once_flag once;
  std::call_once(once, [] {
    const char* mode = std::getenv("TARNWICK_MESSAGE_BOXES");
    if (mode != nullptr && std::strcmp(mode, "stderr") == 0) return;
#if defined(_WIN32)
    tarnwick::platform::installSystemMessageBoxes();
#else
    tarnwick::gui::installToolkitMessageBoxes();
#endif
  });
}

AEffect* createInstance(audioMasterCallback host) {
  if (!host) return nullptr;
  if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
  try {
    installMessageBoxes();
    auto* plug = new (std::nothrow) tarnwick::aPlug(host);
    return plug ? plug->effect() : nullptr;
  } catch (...) {
    return nullptr;  // no exception crosses the host boundary
  }
}

}  // namespace

extern "C" {

#if defined(_WIN32)
// The DLL's exports are named in exports.def, "main" as an alias of tarnwickLegacyMain.
AEffect* VSTPluginMain(audioMasterCallback host) { return createInstance(host); }
AEffect* tarnwickLegacyMain(audioMasterCallback host) { return createInstance(host); }
#else
__attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host) { return createInstance(host); }

// The older hosts' name for the same entry; "main" cannot be declared as such in C++.
__attribute__((visibility("default"))) AEffect* tarnwickLegacyMain(audioMasterCallback host) __asm__("main");
AEffect* tarnwickLegacyMain(audioMasterCallback host) { return createInstance(host); }
#endif
}
