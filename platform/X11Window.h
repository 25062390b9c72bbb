// Editor window backend for X11 servers (Xlib): a child of the host's parent window on a display
// connection of its own, with popup surfaces as override-redirect windows; also the toolkit's top-level
// windows.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/EditorWindow.h"

namespace tarnwick::platform {

// [ui-thread] A width × height child window of `parent` (an X11 window id), mapped. Null when no display
// can be opened ($DISPLAY unset or unreachable), when `parent` is no window on it or when the server
// refuses the window; nothing is left open then. Events are read only inside the window's calls:
// dispatchEvents (the host's idle) and pumpModal (modal loops).
std::unique_ptr<EditorWindow> createX11EditorWindow(uintptr_t parent, int32_t width, int32_t height);

// [ui-thread] A width × height top-level window on the default screen, centred, with `title` (UTF-8) as its
// name, a dialog window type and the window manager's close button reported as windowCloseRequested;
// mapped. Null when no display can be opened or the server refuses the window.
std::unique_ptr<EditorWindow> createX11TopLevelWindow(int32_t width, int32_t height, const char* title);

}  // namespace tarnwick::platform
