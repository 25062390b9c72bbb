// Editor window backend for Win32: a child of the host's parent window, with popup surfaces as owned topmost
// tool windows; also the toolkit's top-level windows.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/EditorWindow.h"

namespace tarnwick::platform {

// [ui-thread] A width × height child window of `parent` (an HWND of the calling thread's host), shown. Null
// when `parent` is no window or Windows refuses the child. The host's message loop delivers the window's
// messages; the window procedure only queues input, which reaches the listener in dispatchEvents (the
// host's idle) and modal passes, as on every backend.
std::unique_ptr<EditorWindow> createWin32EditorWindow(void* parent, int32_t width, int32_t height);

// [ui-thread] A top-level window with a client area of width × height, centred on the primary monitor's work
// area, with `title` (UTF-8) as its caption and the close button reported as windowCloseRequested; shown.
// Its messages are read in dispatchEvents and modal passes (no host loop runs for it). Null when Windows
// refuses the window (no display: wine's null driver).
std::unique_ptr<EditorWindow> createWin32TopLevelWindow(int32_t width, int32_t height, const char* title);

}  // namespace tarnwick::platform
