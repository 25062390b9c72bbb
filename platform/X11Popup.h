// Popup surfaces of the X11 editor window: override-redirect top-level windows that keep their pixels to
// repaint themselves on expose, with the pointer and keyboard grabbed while any is open.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/EditorWindow.h"
#include "platform/X11Session.h"

namespace tarnwick::platform::x11 {

// [ui-thread]
class X11Popup final : public PopupSurface {
 public:
  // x, y: the place in editor coordinates that open() puts it at.
  X11Popup(std::shared_ptr<Session> session, int32_t x, int32_t y, int32_t width, int32_t height);
  X11Popup(const X11Popup&) = delete;
  X11Popup& operator=(const X11Popup&) = delete;
  ~X11Popup() override;

  // rootX, rootY: the top left on the screen. False when the server refused the window.
  bool open(int rootX, int rootY);

  int32_t x() const override { return x_; }
  int32_t y() const override { return y_; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  void present(const uint32_t* pixels, int32_t stride) override;
  // Shows an area again from the last presented pixels (after an expose).
  void repaint(int32_t x, int32_t y, int32_t w, int32_t h);
  ::Window id() const { return window_; }

 private:
  std::shared_ptr<Session> session_;
  ::Window window_ = 0;
  GC gc_ = nullptr;
  Image image_;
  std::vector<uint32_t> pixels_;
  int32_t x_, y_, width_, height_;
};

}  // namespace tarnwick::platform::x11
