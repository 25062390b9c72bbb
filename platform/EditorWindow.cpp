// Window factories: the window system's backend for a host's parent window (offscreen otherwise) and for
// the toolkit's own top-level windows.
#include "platform/EditorWindow.h"

#include <algorithm>

#include "platform/OffscreenWindow.h"
#if defined(_WIN32)
#include "platform/Win32Window.h"
#elif defined(TARNWICK_HAVE_X11)
#include "platform/X11Window.h"
#endif

namespace tarnwick::platform {

namespace {

// One axis: the wanted place where it fits, else the other one where that fits, else as near to the wanted
// place as the screen allows.
int32_t placeOnAxis(int32_t at, int32_t alt, int32_t size, int32_t low, int32_t high) {
  auto fits = [&](int32_t p) { return p >= low && static_cast<int64_t>(p) + size <= high; };
  if (fits(at)) return at;
  if (alt != at && fits(alt)) return alt;
  return std::max(low, std::min(at, high - size));
}

}  // namespace

void placePopup(const PopupPlace& place, int32_t originX, int32_t originY, int32_t left, int32_t top, int32_t right,
                int32_t bottom, int32_t& screenX, int32_t& screenY) {
  screenX = placeOnAxis(originX + place.x, originX + place.altX, place.width, left, right);
  screenY = placeOnAxis(originY + place.y, originY + place.altY, place.height, top, bottom);
}

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
