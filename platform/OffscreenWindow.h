// Editor window without a window system: the presented pixels stay in memory and the mouse and keys
// follow a script that tests queue.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/EditorWindow.h"

namespace tarnwick::platform {

class OffscreenWindow : public EditorWindow {
 public:
  OffscreenWindow(int32_t width, int32_t height);
  ~OffscreenWindow() override;

  void setListener(EditorWindowListener* listener) override { listener_ = listener; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  void present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) override;
  // Replays the script in order: a state in which a button that was up is down goes to the listener
  // as a mouse-down (a drag loop inside it consumes further states); any other state just becomes current;
  // a key goes to the listener as a key press; a drop goes to the listener as dropped files (windowDrop,
  // as on a window system that asks nothing before the drop).
  void dispatchEvents() override;
  // Takes the next queued state (a key or a drop is dropped, Escape ends the loop). When the script is used up the
  // buttons are released at the last position; when they are already released, returns false (nothing
  // more will ever happen).
  bool pumpModal() override;
  void takeKeyboardFocus() override { ++focusRequests_; }
  // A new size; the pixels start over at 0.
  void resize(int32_t width, int32_t height) override;
  // Never waits; false once the script is used up.
  bool waitForEvents(int32_t /*milliseconds*/) override { return !script_.empty(); }
  MouseState mouseState() const override { return mouse_; }
  using EditorWindow::openPopup;
  // Where the test placed the window on a screen (placeOnScreen), kept on it as a window system would;
  // else exactly where asked.
  std::unique_ptr<PopupSurface> openPopup(const PopupPlace& place) override;

  // Test side.
  void queueMouse(int32_t x, int32_t y, int32_t buttons);
  void queueKey(int32_t character, int32_t virtualKey = 0, int32_t modifiers = 0);
  // Files dropped at (x, y).
  void queueDrop(const FileDrag& drag, int32_t x, int32_t y);
  // Entries of the script not yet replayed (mouse states and keys).
  size_t queuedMouseStates() const { return script_.size(); }
  // How often a view asked for the keyboard.
  int32_t focusRequests() const { return focusRequests_; }
  // As the window manager's close button would.
  void requestClose() {
    if (listener_) listener_->windowCloseRequested();
  }
  void setMouse(int32_t x, int32_t y, int32_t buttons) { mouse_ = {x, y, buttons}; }
  // Lays the window with its top left at (x, y) on a screen of width × height, for the popups' placement.
  void placeOnScreen(int32_t x, int32_t y, int32_t screenWidth, int32_t screenHeight) {
    screenPlace_ = {x, y, screenWidth, screenHeight};
    onScreen_ = true;
  }
  // The window's pixels as last presented (0 where nothing was presented yet).
  uint32_t pixel(int32_t x, int32_t y) const;
  const std::vector<uint32_t>& pixels() const { return screen_; }
  int64_t presentCount() const { return presentCount_; }
  void exposeAll();  // as a window system would after the window was uncovered

  // Open popups, oldest first, with their last presented pixels.
  struct Popup {
    int32_t x, y, width, height;
    std::vector<uint32_t> pixels;
    uint32_t pixel(int32_t px, int32_t py) const;
  };
  size_t popupCount() const { return popups_.size(); }
  const Popup& popup(size_t index) const { return *popups_[index]; }
  // Largest number of popups open at once since the window was made.
  size_t mostPopups() const { return mostPopups_; }

 private:
  class Surface;
  friend class Surface;

  EditorWindowListener* listener_ = nullptr;
  int32_t width_;
  int32_t height_;
  std::vector<uint32_t> screen_;
  int64_t presentCount_ = 0;
  struct Entry {
    bool isKey = false;
    MouseState mouse;
    KeyEvent key;
    bool isDrop = false;
    FileDrag drag;
  };

  MouseState mouse_;
  std::deque<Entry> script_;
  int32_t focusRequests_ = 0;
  std::vector<Popup*> popups_;
  size_t mostPopups_ = 0;
  struct {
    int32_t x, y, width, height;
  } screenPlace_{0, 0, 0, 0};
  bool onScreen_ = false;
};

}  // namespace tarnwick::platform
