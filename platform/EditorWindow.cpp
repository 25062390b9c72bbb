// Editor window factory. No window-system backend is built yet, so every editor draws offscreen.
#include "platform/EditorWindow.h"

#include "platform/OffscreenWindow.h"

namespace tarnwick::platform {

std::unique_ptr<EditorWindow> createEditorWindow(void* /*parent*/, int32_t width, int32_t height) {
  return std::make_unique<OffscreenWindow>(width, height);
}

}  // namespace tarnwick::platform
