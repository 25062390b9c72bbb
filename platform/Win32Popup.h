// Popup surfaces of the Win32 editor window: borderless topmost tool windows owned by the editor's top-level
// window, never activated, painted from their kept pixels; the editor window holds the mouse capture and the
// keyboard focus while any is open.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/EditorWindow.h"
#include "platform/Win32Support.h"

namespace tarnwick::platform::win32 {

// [ui-thread]
class Win32Popup final : public PopupSurface, public MessageTarget {
 public:
  // x, y: the place in editor coordinates that open() puts it at.
  Win32Popup(std::shared_ptr<Session> session, int32_t x, int32_t y, int32_t width, int32_t height);
  Win32Popup(const Win32Popup&) = delete;
  Win32Popup& operator=(const Win32Popup&) = delete;
  ~Win32Popup() override;

  // screenX, screenY: the top left on the screen. False when Windows refused the window.
  bool open(int screenX, int screenY);

  int32_t x() const override { return x_; }
  int32_t y() const override { return y_; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  void present(const uint32_t* pixels, int32_t stride) override;
  HWND handle() const { return window_; }

  LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  std::shared_ptr<Session> session_;
  HWND window_ = nullptr;
  bool created_ = false;
  Pixels pixels_;
  int32_t x_, y_, width_, height_;
};

}  // namespace tarnwick::platform::win32
