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

// [ui-thread] Before the window is mapped: makes it belong to `owner` (WM_TRANSIENT_FOR, and modal for it)
// when there is one, and asks to keep it above other windows. A box the host waits for must not vanish
// under the host's windows (a splash screen that raises itself, a click on the host).
void keepAboveOwner(Display* display, ::Window window, ::Window owner);

}  // namespace tarnwick::platform::x11
