// What the window manager is told about the toolkit's own top-level windows (message boxes).
#pragma once

#include <X11/Xlib.h>

#include <cstdint>

namespace tarnwick::platform::x11 {

struct TopLevelAtoms {
  Atom protocols = 0;     // WM_PROTOCOLS
  Atom deleteWindow = 0;  // WM_DELETE_WINDOW
};

// [ui-thread] Names the window (WM_NAME in Latin-1, _NET_WM_NAME in UTF-8), makes it a dialog of fixed size
// at (x, y) and asks for WM_DELETE_WINDOW instead of being killed by the close button. Needs Xlib loaded.
TopLevelAtoms describeTopLevel(Display* display, ::Window window, const char* title, int x, int y, int32_t width,
                               int32_t height);

}  // namespace tarnwick::platform::x11
