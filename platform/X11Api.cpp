// Xlib through dlopen: the table of the backend's Xlib functions, resolved once per process.
#include "platform/X11Api.h"

#include "platform/DynamicLibrary.h"

namespace tarnwick::platform::x11 {

namespace {

// The runtime library's name, not the unversioned development link: hosts rarely have libx11-dev.
constexpr const char* kXlibName = "libX11.so.6";

template <typename Function>
bool resolve(DynamicLibrary& library, Function& slot, const char* name) {
  slot = reinterpret_cast<Function>(library.symbol(name));
  return slot != nullptr;
}

struct LoadedXlib {
  DynamicLibrary library;
  XlibApi api;
  bool complete = false;

  LoadedXlib() {
    if (!library.open(kXlibName)) return;
    XlibApi table;
#define TARNWICK_RESOLVE(name) resolve(library, table.name, #name)
    const bool required =
        TARNWICK_RESOLVE(XChangeProperty) && TARNWICK_RESOLVE(XCloseDisplay) && TARNWICK_RESOLVE(XConvertSelection) &&
        TARNWICK_RESOLVE(XCreateColormap) && TARNWICK_RESOLVE(XCreateGC) && TARNWICK_RESOLVE(XCreateImage) &&
        TARNWICK_RESOLVE(XCreateWindow) && TARNWICK_RESOLVE(XDestroyWindow) && TARNWICK_RESOLVE(XFlush) &&
        TARNWICK_RESOLVE(XFree) && TARNWICK_RESOLVE(XFreeColormap) && TARNWICK_RESOLVE(XFreeGC) &&
        TARNWICK_RESOLVE(XGetVisualInfo) && TARNWICK_RESOLVE(XGetInputFocus) &&
        TARNWICK_RESOLVE(XGetWindowAttributes) && TARNWICK_RESOLVE(XGetWindowProperty) &&
        TARNWICK_RESOLVE(XGrabKeyboard) && TARNWICK_RESOLVE(XGrabPointer) && TARNWICK_RESOLVE(XInternAtom) &&
        TARNWICK_RESOLVE(XListPixmapFormats) && TARNWICK_RESOLVE(XLookupKeysym) && TARNWICK_RESOLVE(XLookupString) &&
        TARNWICK_RESOLVE(XMapRaised) && TARNWICK_RESOLVE(XMapWindow) && TARNWICK_RESOLVE(XNextEvent) &&
        TARNWICK_RESOLVE(XPeekEvent) && TARNWICK_RESOLVE(XOpenDisplay) && TARNWICK_RESOLVE(XPending) &&
        TARNWICK_RESOLVE(XPutImage) && TARNWICK_RESOLVE(XQueryPointer) && TARNWICK_RESOLVE(XQueryTree) &&
        TARNWICK_RESOLVE(XRaiseWindow) && TARNWICK_RESOLVE(XScreenNumberOfScreen) && TARNWICK_RESOLVE(XSendEvent) &&
        TARNWICK_RESOLVE(XSetErrorHandler) && TARNWICK_RESOLVE(XSetInputFocus) &&
        TARNWICK_RESOLVE(XSetIOErrorHandler) && TARNWICK_RESOLVE(XSetWMNormalHints) && TARNWICK_RESOLVE(XSync) &&
        TARNWICK_RESOLVE(XTranslateCoordinates) && TARNWICK_RESOLVE(XUngrabKeyboard) &&
        TARNWICK_RESOLVE(XUngrabPointer);
    if (!required) {
      library.close();  // an incomplete table is never handed out
      return;
    }
    TARNWICK_RESOLVE(XSetIOErrorExitHandler);
    TARNWICK_RESOLVE(XResizeWindow);
#undef TARNWICK_RESOLVE
    api = table;
    complete = true;
  }
};

// Built on first use (thread-safe static initialisation); its destructor closes the library when the
// plug-in is unloaded or the process ends.
LoadedXlib& loaded() {
  static LoadedXlib instance;
  return instance;
}

}  // namespace

const XlibApi* loadXlib() {
  LoadedXlib& state = loaded();
  return state.complete ? &state.api : nullptr;
}

const XlibApi& xlib() { return loaded().api; }

}  // namespace tarnwick::platform::x11
