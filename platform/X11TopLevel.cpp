// Window-manager properties of top-level windows: names, dialog type, fixed size and the close protocol.
#include "platform/X11TopLevel.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstring>
#include <string>

#include "platform/X11Api.h"

namespace tarnwick::platform::x11 {

namespace {

// WM_NAME is Latin-1 text for old window managers: code points past U+00FF (and broken UTF-8) become '?'.
std::string latin1Of(const char* utf8) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p != 0) {
    if (*p < 0x80) {
      out += static_cast<char>(*p++);
    } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80 && *p >= 0xC2 && *p <= 0xC3) {
      out += static_cast<char>(((*p & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else {
      out += '?';
      ++p;
      while ((*p & 0xC0) == 0x80) ++p;  // the rest of that sequence
    }
  }
  return out;
}

void setText(Display* display, ::Window window, Atom property, Atom type, const std::string& text) {
  xlib().XChangeProperty(display, window, property, type, 8, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
}

}  // namespace

TopLevelAtoms describeTopLevel(Display* display, ::Window window, const char* title, int x, int y, int32_t width,
                               int32_t height) {
  const XlibApi& x11 = xlib();
  setText(display, window, XA_WM_NAME, XA_STRING, latin1Of(title));
  const Atom utf8 = x11.XInternAtom(display, "UTF8_STRING", False);
  setText(display, window, x11.XInternAtom(display, "_NET_WM_NAME", False), utf8, title);
  static const char kClass[] = "tarnwick\0Tarnwick";  // WM_CLASS: instance and class, each ending in NUL
  xlib().XChangeProperty(display, window, XA_WM_CLASS, XA_STRING, 8, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(kClass), static_cast<int>(sizeof kClass));

  const Atom type = x11.XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
  const Atom dialog = x11.XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  x11.XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&dialog), 1);

  XSizeHints hints{};
  hints.flags = PPosition | PMinSize | PMaxSize;
  hints.x = x;
  hints.y = y;
  hints.min_width = hints.max_width = width;
  hints.min_height = hints.max_height = height;
  x11.XSetWMNormalHints(display, window, &hints);

  TopLevelAtoms atoms;
  atoms.protocols = x11.XInternAtom(display, "WM_PROTOCOLS", False);
  atoms.deleteWindow = x11.XInternAtom(display, "WM_DELETE_WINDOW", False);
  x11.XChangeProperty(display, window, atoms.protocols, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&atoms.deleteWindow), 1);
  return atoms;
}

void keepAboveOwner(Display* display, ::Window window, ::Window owner) {
  const XlibApi& x11 = xlib();
  if (owner != 0) {
    x11.XChangeProperty(display, window, XA_WM_TRANSIENT_FOR, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&owner), 1);
  }
  Atom states[2] = {x11.XInternAtom(display, "_NET_WM_STATE_ABOVE", False),
                    x11.XInternAtom(display, "_NET_WM_STATE_MODAL", False)};
  x11.XChangeProperty(display, window, x11.XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(states), owner != 0 ? 2 : 1);
}

}  // namespace tarnwick::platform::x11
