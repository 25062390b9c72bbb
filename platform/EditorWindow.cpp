// Window factories: the window system's backend for a host's parent window (offscreen otherwise) and for
// the toolkit's own top-level windows.
#include "platform/EditorWindow.h"

#include "platform/OffscreenWindow.h"
#if defined(_WIN32)
#include "platform/Win32Window.h"
#elif defined(TARNWICK_HAVE_X11)
#include "platform/X11Window.h"
#endif

namespace tarnwick::platform {

std::unique_ptr<EditorWindow> createEditorWindow(void* parent, int32_t width, int32_t height) {
  if (parent == nullptr) return createOffscreenEditorWindow(width, height);
#if defined(_WIN32)
  return createWin32EditorWindow(parent, width, height);
#elif defined(TARNWICK_HAVE_X11)
  return createX11EditorWindow(reinterpret_cast<uintptr_t>(parent), width, height);
#else
  return nullptr;  // no backend for this window system yet
#endif
}

std::unique_ptr<EditorWindow> createOffscreenEditorWindow(int32_t width, int32_t height) {
  return std::make_unique<OffscreenWindow>(width, height);
}

std::unique_ptr<EditorWindow> createTopLevelWindow(int32_t width, int32_t height, const char* title) {
#if defined(_WIN32)
  return createWin32TopLevelWindow(width, height, title != nullptr ? title : "");
#elif defined(TARNWICK_HAVE_X11)
  return createX11TopLevelWindow(width, height, title != nullptr ? title : "");
#else
  (void)width;
  (void)height;
  (void)title;
  return nullptr;  // no backend for this window system yet
#endif
}

}  // namespace tarnwick::platform
