// What the X11 editor window and its popups share: the display connection with the chosen visual, the
// client-side images they upload, and the choice of a visual the toolkit's pixels can be drawn into.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <vector>

#include "platform/X11Support.h"

namespace tarnwick::platform::x11 {

class X11Popup;

// [ui-thread] Held by the window and every popup; the last of them to go closes the display.
struct Session {
  Display* display = nullptr;
  bool connectionLost = false;
  ::Window root = 0;
  int screen = 0;
  Visual* visual = nullptr;
  int depth = 0;
  Colormap colormap = 0;  // for windows whose visual differs from their parent's
  bool ownsColormap = false;
  PixelLayout layout;
  ::Window window = 0;        // the editor's window; 0 once destroyed
  bool windowClosed = false;  // the EditorWindow object is gone
  std::vector<X11Popup*> popups;
  bool grabbed = false;

  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();

  bool usable() const { return display != nullptr && !connectionLost; }
  void noteTrap(const ErrorTrap& trap) {
    if (trap.connectionLost()) connectionLost = true;
  }
  // The colormap for a window of our visual (made once when the visual is not the screen's default).
  Colormap colormapFor(::Window sameScreen);
  // Where the editor window's origin lies on the root window.
  bool editorOrigin(int& x, int& y) const;
};

// A client-side image of one surface in the visual's layout, uploaded part by part.
class Image {
 public:
  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image() { release(); }

  bool init(Session& session, int32_t width, int32_t height);
  void release();
  // Converts the part (x, y, w, h) of pixels (the surface's top left at `pixels`) and sends it.
  void put(Session& session, Drawable target, GC gc, const uint32_t* pixels, int32_t stride, int32_t x, int32_t y,
           int32_t w, int32_t h);

 private:
  XImage* image_ = nullptr;
  std::vector<uint8_t> data_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

GC makeGC(Display* display, Drawable drawable);
// The layout of a TrueColor visual of this depth; false for other visuals.
bool layoutFor(Display* display, const Visual* visual, int depth, PixelLayout& layout);
// A TrueColor visual of the session's screen for a parent whose own visual cannot show our pixels (a
// palette visual): depth 24 if there is one, else the deepest. Sets visual, depth and layout.
bool fallbackVisual(Session& session);

}  // namespace tarnwick::platform::x11
