// X11 popup surfaces: creation on the root window, grab bookkeeping, upload and repaint.
#include "platform/X11Popup.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstddef>
#include <utility>

#include "platform/X11Api.h"

namespace tarnwick::platform::x11 {

namespace {
constexpr long kPopupEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned int kGrabEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
}  // namespace

X11Popup::X11Popup(std::shared_ptr<Session> session, int32_t x, int32_t y, int32_t width, int32_t height)
    : session_(std::move(session)), x_(x), y_(y), width_(width), height_(height) {}

bool X11Popup::open(int rootX, int rootY) {
  Session& s = *session_;
  ErrorTrap trap(s.display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.save_under = True;
  attributes.event_mask = kPopupEvents;
  attributes.background_pixmap = None;
  attributes.border_pixel = 0;
  attributes.colormap = s.colormapFor(s.root);
  window_ = xlib().XCreateWindow(
      s.display, s.root, rootX, rootY, static_cast<unsigned int>(width_), static_cast<unsigned int>(height_), 0,
      s.depth, InputOutput, s.visual,
      CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap, &attributes);
  s.popups.push_back(this);
  if (window_ == 0) return false;
  const Atom type = xlib().XInternAtom(s.display, "_NET_WM_WINDOW_TYPE", False);
  const Atom menu = xlib().XInternAtom(s.display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  xlib().XChangeProperty(s.display, window_, type, XA_ATOM, 32, PropModeReplace,
                         reinterpret_cast<const unsigned char*>(&menu), 1);
  gc_ = makeGC(s.display, window_);
  xlib().XMapRaised(s.display, window_);
  // Clicks outside every surface must still reach the modal loop; pointer events then arrive in editor
  // coordinates on the editor window. A grab that fails (editor not viewable) leaves the popup usable.
  if (!s.grabbed && s.window != 0) {
    const int pointer = xlib().XGrabPointer(s.display, s.window, False, kGrabEvents, GrabModeAsync, GrabModeAsync, None,
                                            None, CurrentTime);
    if (pointer == GrabSuccess) {
      xlib().XGrabKeyboard(s.display, s.window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
      s.grabbed = true;
    }
  }
  xlib().XSync(s.display, False);
  s.noteTrap(trap);
  return !trap.failed() && image_.init(s, width_, height_);
}

X11Popup::~X11Popup() {
  Session& s = *session_;
  s.popups.erase(std::remove(s.popups.begin(), s.popups.end(), this), s.popups.end());
  ErrorTrap trap(s.display);
  image_.release();
  if (gc_ != nullptr) xlib().XFreeGC(s.display, gc_);  // also after a connection loss: frees Xlib's memory
  if (!s.usable()) return;
  if (window_ != 0) xlib().XDestroyWindow(s.display, window_);
  if (s.popups.empty() && s.grabbed) {
    xlib().XUngrabPointer(s.display, CurrentTime);
    xlib().XUngrabKeyboard(s.display, CurrentTime);
    s.grabbed = false;
  }
  xlib().XFlush(s.display);
  s.noteTrap(trap);
}

void X11Popup::present(const uint32_t* pixels, int32_t stride) {
  if (pixels == nullptr || stride < width_) return;
  pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  for (int32_t row = 0; row < height_; ++row) {
    const uint32_t* from = pixels + static_cast<ptrdiff_t>(row) * stride;
    std::copy(from, from + width_, pixels_.begin() + static_cast<ptrdiff_t>(row) * width_);
  }
  repaint(0, 0, width_, height_);
}

void X11Popup::repaint(int32_t x, int32_t y, int32_t w, int32_t h) {
  Session& s = *session_;
  if (pixels_.empty() || window_ == 0 || !s.usable()) return;
  ErrorTrap trap(s.display);
  image_.put(s, window_, gc_, pixels_.data(), width_, x, y, w, h);
  xlib().XFlush(s.display);
  s.noteTrap(trap);
}

}  // namespace tarnwick::platform::x11
