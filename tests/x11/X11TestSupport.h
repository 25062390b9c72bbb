// Shared pieces of the X11 backend tests: a fixture with its own Xvfb, a host connection and a parent
// window, pixel read-back, and a listener that records what the window reports.
#pragma once

// gtest before Xlib: Xlib's macros (None, Bool ...) would break gtest's templates.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "XvfbServer.h"
#include "platform/EditorWindow.h"

namespace tarnwick::test {

constexpr int32_t kEditorWidth = 554;
constexpr int32_t kEditorHeight = 356;
constexpr int kParentX = 50;
constexpr int kParentY = 40;
constexpr unsigned long kParentBackground = 0x203040;

// Records every report of the window; optionally presents a buffer on expose as the frame does.
class RecordingListener : public platform::EditorWindowListener {
 public:
  struct Area {
    int32_t x, y, width, height;
  };
  void windowMouseDown(const platform::MouseState& state) override {
    downs.push_back(state);
    if (onMouseDown) onMouseDown(state);
  }
  void windowExposed(int32_t x, int32_t y, int32_t width, int32_t height) override {
    exposed.push_back({x, y, width, height});
    if (window != nullptr && pixels != nullptr) window->present(pixels, stride, x, y, width, height);
  }
  void windowKeyDown(const platform::KeyEvent& key) override { keys.push_back(key); }
  void windowCloseRequested() override { ++closeRequests; }

  std::vector<platform::MouseState> downs;
  std::vector<Area> exposed;
  std::vector<platform::KeyEvent> keys;
  int closeRequests = 0;
  std::function<void(const platform::MouseState&)> onMouseDown;
  platform::EditorWindow* window = nullptr;  // with pixels: presents exposed areas
  const uint32_t* pixels = nullptr;
  int32_t stride = 0;
};

// A pattern that differs in every channel from pixel to pixel, with alpha left at 0.
std::vector<uint32_t> testPattern(int32_t width, int32_t height, uint32_t seed);

// Each test starts its own server (the display number is free, so suites can run side by side), points
// $DISPLAY at it, opens the host's own connection and maps a 800 × 600 parent window at
// (kParentX, kParentY). Skipped when Xvfb is not installed.
class X11Test : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Restarts with a screen of this depth (the parent is made anew).
  void restartWithDepth(int depth);

  // The parent window with this visual and depth (a colormap is made for it).
  ::Window makeParent(Visual* visual, int depth);
  // The children of a window, bottom first.
  std::vector<::Window> childrenOf(::Window window);
  XWindowAttributes attributesOf(::Window window);
  // The colours (0x00RRGGBB, channels widened by the visual's masks) of an area of a window.
  std::vector<uint32_t> readColours(::Window window, int x, int y, int width, int height);
  // Raw pixel values of an area.
  std::vector<unsigned long> readPixels(::Window window, int x, int y, int width, int height);
  // Calls dispatchEvents (with a short pause between passes) until done() holds or the passes run out;
  // true when done.
  bool dispatchUntil(platform::EditorWindow& window, const std::function<bool()>& done, int passes = 1500);
  // Sends a ButtonPress event to a window as a synthetic event.
  void sendButtonPress(::Window window, int x, int y, unsigned int button, unsigned int state);
  void sendKeyPress(::Window window, KeySym key, unsigned int state = 0);
  // Sends WM_DELETE_WINDOW as a window manager does for the close button.
  void sendDeleteWindow(::Window window);
  // A top-level window (a child of the root) whose _NET_WM_NAME is `name`; 0 when there is none.
  ::Window topLevelNamed(const std::string& name);
  // A property's bytes (format 8) or items (format 32, as longs).
  std::string textProperty(::Window window, const char* property);
  std::vector<long> longProperty(::Window window, const char* property);
  void sync() { XSync(host_, False); }
  // Waits until the server has handled everything the window sent (a round trip on its connection), then
  // for the host's own requests.
  void settle(platform::EditorWindow& window) {
    window.sync();
    sync();
  }
  // The one editor window inside the parent (0 when there is none or more than one).
  ::Window editorWindowIn(::Window parent);

  XvfbServer server_;
  Display* host_ = nullptr;
  ::Window parent_ = 0;
  std::string savedDisplay_;
  bool hadDisplay_ = false;
  std::vector<Colormap> colormaps_;
};

}  // namespace tarnwick::test
