// The desktop's scale: GDK_SCALE, Xft.dpi from the X server's resource database, or the HWND's DPI.
#include "platform/DesktopScale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#elif defined(TARNWICK_HAVE_X11)
#include <X11/Xatom.h>

#include "platform/X11Api.h"
#endif

namespace tarnwick::platform {

namespace {

int32_t scaleFromDpi(double dpi) { return dpi > 0.0 ? nearestScaleHalves(dpi / 96.0) : 0; }

#if defined(TARNWICK_HAVE_X11) && !defined(_WIN32)
// RESOURCE_MANAGER of the default screen's root window, where xrdb puts the database, on a connection of
// its own (the editor's window does not exist yet: its size depends on the answer).
int32_t xftScale() {
  const x11::XlibApi* api = x11::loadXlib();
  if (api == nullptr || std::getenv("DISPLAY") == nullptr) return 0;
  Display* display = api->XOpenDisplay(nullptr);
  if (display == nullptr) return 0;
  const Atom property = api->XInternAtom(display, "RESOURCE_MANAGER", True);
  int32_t halves = 0;
  if (property != None) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (api->XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1 << 16, False, XA_STRING, &type,
                                &format, &count, &after, &data) == Success &&
        data != nullptr) {
      if (format == 8) halves = scaleFromDpi(xftDpiFrom(reinterpret_cast<const char*>(data)));
      api->XFree(data);
    }
  }
  api->XCloseDisplay(display);
  return halves;
}
#endif

}  // namespace

int32_t nearestScaleHalves(double factor) {
  if (!(factor > 0.0) || !std::isfinite(factor)) return kSmallestScaleHalves;
  int32_t best = kSmallestScaleHalves;
  for (int32_t halves = kSmallestScaleHalves + 1; halves <= kLargestScaleHalves; ++halves) {
    if (std::fabs(halves / 2.0 - factor) < std::fabs(best / 2.0 - factor)) best = halves;
  }
  return best;
}

int32_t xftDpiFrom(const char* resources) {
  if (resources == nullptr) return 0;
  static constexpr char kName[] = "Xft.dpi:";
  for (const char* line = resources; *line;) {
    if (std::strncmp(line, kName, sizeof kName - 1) == 0) {
      const double dpi = std::strtod(line + sizeof kName - 1, nullptr);  // skips the blanks before it
      return dpi > 0.0 && dpi < 10000.0 ? static_cast<int32_t>(std::lround(dpi)) : 0;
    }
    const char* next = std::strchr(line, '\n');
    if (next == nullptr) break;
    line = next + 1;
  }
  return 0;
}

int32_t desktopScaleHalves(void* parent) {
  if (const char* gdk = std::getenv("GDK_SCALE"); gdk != nullptr && *gdk != '\0') {
    const double factor = std::strtod(gdk, nullptr);
    if (factor > 0.0) return nearestScaleHalves(factor);
  }
#if defined(_WIN32)
  // GetDpiForWindow exists from Windows 10 (1607) on; older systems ask the screen.
  using DpiForWindow = UINT(WINAPI*)(HWND);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto forWindow =
      user32 ? reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
             : nullptr;
  if (forWindow != nullptr && parent != nullptr) return scaleFromDpi(forWindow(static_cast<HWND>(parent)));
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return scaleFromDpi(dpi);
#elif defined(TARNWICK_HAVE_X11)
  (void)parent;
  return xftScale();
#else
  (void)parent;
  return 0;
#endif
}

}  // namespace tarnwick::platform
