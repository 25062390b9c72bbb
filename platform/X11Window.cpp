// X11 editor window: a child window (or a top-level window of the toolkit's own) on a display connection
// of its own, pixels uploaded as images in the visual's layout, events read on the host's idle and in modal
// loops.
#include "platform/X11Window.h"

#include <poll.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/X11Api.h"
#include "platform/X11Drop.h"
#include "platform/X11Keys.h"
#include "platform/X11Owner.h"
#include "platform/X11Popup.h"
#include "platform/X11Session.h"
#include "platform/X11Support.h"
#include "platform/X11TopLevel.h"

namespace tarnwick::platform {

namespace {

using x11::ErrorTrap;
using x11::Image;
using x11::Session;
using x11::X11Popup;
using x11::xlib;

constexpr int kModalWaitMs = 15;
constexpr int kMaxEventsPerPass = 256;  // a flood of motion must not hold the host's idle
constexpr int32_t kMaxSurfaceSide = 16384;
constexpr uintptr_t kMaxWindowId = 0x1FFFFFFF;  // X resource ids have the top three bits clear
constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               EnterWindowMask | LeaveWindowMask | StructureNotifyMask | KeyPressMask;

int32_t mouseBits(unsigned int state) {
  int32_t bits = 0;
  if (state & Button1Mask) bits |= kMouseLeft;
  if (state & Button2Mask) bits |= kMouseMiddle;
  if (state & Button3Mask) bits |= kMouseRight;
  if (state & ShiftMask) bits |= kModifierShift;
  if (state & ControlMask) bits |= kModifierControl;
  if (state & Mod1Mask) bits |= kModifierAlt;
  return bits;
}

int32_t buttonBit(unsigned int button) {
  switch (button) {
    case Button1: return kMouseLeft;
    case Button2: return kMouseMiddle;
    case Button3: return kMouseRight;
    default: return 0;  // wheel and extra buttons
  }
}

class X11Window final : public EditorWindow {
 public:
  X11Window(std::shared_ptr<Session> session, int32_t width, int32_t height)
      : session_(std::move(session)), width_(width), height_(height) {}
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  bool open(::Window parent);
  bool openTopLevel(const char* title);

  ~X11Window() override {
    Session& s = *session_;
    s.windowClosed = true;
    ErrorTrap trap(s.display);
    image_.release();
    if (gc_ != nullptr) xlib().XFreeGC(s.display, gc_);  // also after a connection loss: frees Xlib's memory
    if (s.usable()) {
      if (s.window != 0) xlib().XDestroyWindow(s.display, s.window);
      xlib().XFlush(s.display);
    }
    s.window = 0;
  }

  void setListener(EditorWindowListener* listener) override { listener_ = listener; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  uintptr_t nativeHandle() const override { return static_cast<uintptr_t>(session_->window); }

  void present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0 || stride < width_) return;
    ErrorTrap trap(s.display);
    image_.put(s, s.window, gc_, pixels, stride, x, y, w, h);
    xlib().XFlush(s.display);
    s.noteTrap(trap);
  }

  void resize(int32_t width, int32_t height) override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0 || xlib().XResizeWindow == nullptr || width <= 0 || height <= 0) return;
    ErrorTrap trap(s.display);
    xlib().XResizeWindow(s.display, s.window, static_cast<unsigned int>(width), static_cast<unsigned int>(height));
    s.noteTrap(trap);
    if (!trap.failed() && image_.init(s, width, height)) {
      width_ = width;
      height_ = height;
    }
  }

  void dispatchEvents() override {
    const std::shared_ptr<Session> keep = session_;  // the listener may destroy this window
    for (int n = 0; n < kMaxEventsPerPass; ++n) {
      if (closePending_ && listener_ != nullptr) {
        closePending_ = false;
        listener_->windowCloseRequested();
        if (keep->windowClosed) return;
      }
      MouseState down;
      const Read read = readEvent(false, down);
      if (read == Read::none) break;
      if (listener_ == nullptr) continue;
      if (read == Read::drop) {
        if (!deliverExposed(*keep)) return;
        listener_->windowDrop(xdnd_.drag(), xdnd_.dropX(), xdnd_.dropY());
        if (keep->windowClosed) return;
        continue;
      }
      if (read == Read::mouseDown || read == Read::key || read == Read::wheel) {
        if (!deliverExposed(*keep)) return;
        if (read == Read::mouseDown) {
          listener_->windowMouseDown(down);
        } else if (read == Read::key) {
          listener_->windowKeyDown(key_);
        } else {
          listener_->windowWheel(wheel_.x, wheel_.y, wheel_.steps);
        }
        if (keep->windowClosed) return;
      }
    }
    deliverExposed(*keep);
  }

  bool pumpModal() override {
    const std::shared_ptr<Session> keep = session_;
    Session& s = *keep;
    if (!s.usable() || s.window == 0) return false;
    bool escape = false;
    if (drainModal(escape) == 0 && s.usable() && s.window != 0) {
      pollfd wait{ConnectionNumber(s.display), POLLIN, 0};
      poll(&wait, 1, kModalWaitMs);
      drainModal(escape);
    }
    if (!deliverExposed(s)) return false;
    return !escape && s.usable() && s.window != 0;
  }

  // The state the events read so far tell, not the pointer's state now: a loop that runs on a press
  // sees the press even when its release is already on its way, and then each later state in turn.
  MouseState mouseState() const override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0) return {mouse_.x, mouse_.y, 0};
    return mouse_;
  }

  void sync() override {
    Session& s = *session_;
    if (!s.usable()) return;
    ErrorTrap trap(s.display);
    xlib().XSync(s.display, False);
    s.noteTrap(trap);
  }

  void takeKeyboardFocus() override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0) return;
    if (!wantsFocus_) {
      ErrorTrap trap(s.display);
      int revert = 0;
      previousFocus_ = 0;
      xlib().XGetInputFocus(s.display, &previousFocus_, &revert);
      s.noteTrap(trap);
    }
    wantsFocus_ = true;
    focusOn();
  }

  // The keyboard goes back where it was before takeKeyboardFocus, unless the user moved it meanwhile.
  void releaseKeyboardFocus() override {
    Session& s = *session_;
    if (!wantsFocus_ || !s.usable() || s.window == 0) return;
    wantsFocus_ = false;
    ErrorTrap trap(s.display);
    ::Window focus = 0;
    int revert = 0;
    xlib().XGetInputFocus(s.display, &focus, &revert);
    if (focus == s.window && previousFocus_ != s.window) {
      // None and PointerRoot are focus modes, not windows; a window that is gone meanwhile is an error
      // the trap takes.
      xlib().XSetInputFocus(s.display, previousFocus_, RevertToParent, CurrentTime);
    }
    xlib().XFlush(s.display);
    s.noteTrap(trap);
  }

  uintptr_t dialogOwner() override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0) return 0;
    return x11::topLevelOf(s.display, s.window);
  }

  bool waitForEvents(int32_t milliseconds) override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0) return false;
    if (closePending_ || xlib().XPending(s.display) > 0) return true;
    pollfd wait{ConnectionNumber(s.display), POLLIN, 0};
    poll(&wait, 1, std::max(milliseconds, 0));
    return s.usable() && s.window != 0;
  }

  using EditorWindow::openPopup;
  std::unique_ptr<PopupSurface> openPopup(const PopupPlace& place) override {
    Session& s = *session_;
    const int32_t width = place.width, height = place.height;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
    if (!s.usable() || s.window == 0) return nullptr;
    int originX = 0, originY = 0, screenW = 0, screenH = 0;
    {
      ErrorTrap trap(s.display);
      const bool placed = s.editorOrigin(originX, originY);
      s.noteTrap(trap);
      if (!placed || trap.failed()) return nullptr;
      screenW = DisplayWidth(s.display, s.screen);
      screenH = DisplayHeight(s.display, s.screen);
    }
    int32_t rootX = 0, rootY = 0;
    placePopup(place, originX, originY, 0, 0, screenW, screenH, rootX, rootY);
    auto popup = std::make_unique<X11Popup>(session_, rootX - originX, rootY - originY, width, height);
    if (!popup->open(rootX, rootY)) return nullptr;
    return popup;
  }

 private:
  enum class Read { none, handled, pointer, button, mouseDown, key, wheel, escape, drop };
  struct Wheel {
    int32_t x, y, steps;
  };
  Wheel wheel_{0, 0, 0};

  Read readEvent(bool modal, MouseState& down);
  // Reads what is queued, but a button going down or up ends the pass: the modal loop then sees the
  // position the pointer had before it (motion is merged) and the button change in a pass of its own.
  int drainModal(bool& escape) {
    int handled = 0;
    bool moved = false;
    while (handled < kMaxEventsPerPass) {
      if (moved && nextIsButton()) break;
      MouseState ignored;
      const Read read = readEvent(true, ignored);
      if (read == Read::none) break;
      ++handled;
      if (read == Read::escape) escape = true;
      if (read == Read::button) break;
      if (read == Read::pointer) moved = true;
    }
    return handled;
  }
  bool nextIsButton() {
    Session& s = *session_;
    if (!s.usable() || xlib().XPending(s.display) <= 0) return false;
    XEvent next;
    xlib().XPeekEvent(s.display, &next);
    return next.type == ButtonPress || next.type == ButtonRelease;
  }
  MouseState fromEvent(::Window window, int x, int y, int rootX, int rootY, int32_t bits) const;
  void noteExposed(int32_t x, int32_t y, int32_t w, int32_t h);
  // Hands the exposed area to the listener; false when that destroyed the window.
  bool deliverExposed(Session& keep);
  // Gives the window the keyboard focus when it can take it (viewable); else again when it is mapped.
  void focusOn();

  std::shared_ptr<Session> session_;
  EditorWindowListener* listener_ = nullptr;
  int32_t width_;
  int32_t height_;
  GC gc_ = nullptr;
  Image image_;
  MouseState mouse_;  // as the last event told
  KeyEvent key_;      // the key press readEvent just read
  x11::TopLevelAtoms atoms_;
  x11::XdndTarget xdnd_;       // the editor's child window takes dropped files; top-level windows do not
  bool closePending_ = false;  // the close button, seen during a modal pass
  bool wantsFocus_ = false;
  ::Window previousFocus_ = 0;  // before takeKeyboardFocus
  bool exposed_ = false;
  int32_t exposedLeft_ = 0, exposedTop_ = 0, exposedRight_ = 0, exposedBottom_ = 0;
};

bool X11Window::open(::Window parent) {
  Session& s = *session_;
  ErrorTrap trap(s.display);
  XWindowAttributes parentAttributes{};
  if (xlib().XGetWindowAttributes(s.display, parent, &parentAttributes) == 0 || trap.failed()) return false;
  s.root = parentAttributes.root;
  s.screen = xlib().XScreenNumberOfScreen(parentAttributes.screen);
  s.visual = parentAttributes.visual;
  s.depth = parentAttributes.depth;
  XSetWindowAttributes attributes{};
  attributes.event_mask = kWindowEvents;
  attributes.background_pixmap = None;  // no flash of a background before the frame presents
  unsigned long valueMask = CWEventMask | CWBackPixmap;
  if (!x11::layoutFor(s.display, s.visual, s.depth, s.layout)) {
    if (!x11::fallbackVisual(s)) return false;
    attributes.colormap = s.colormapFor(parent);
    attributes.border_pixel = 0;
    valueMask |= CWColormap | CWBorderPixel;
  }
  s.window = xlib().XCreateWindow(s.display, parent, 0, 0, static_cast<unsigned int>(width_),
                                  static_cast<unsigned int>(height_), 0, s.depth, InputOutput, s.visual, valueMask,
                                  &attributes);
  if (s.window == 0) return false;
  gc_ = x11::makeGC(s.display, s.window);
  xdnd_.attach(s);
  xlib().XMapWindow(s.display, s.window);
  xlib().XSync(s.display, False);
  s.noteTrap(trap);
  return !trap.failed() && image_.init(s, width_, height_);
}

bool X11Window::openTopLevel(const char* title) {
  Session& s = *session_;
  ErrorTrap trap(s.display);
  s.screen = DefaultScreen(s.display);
  s.root = RootWindow(s.display, s.screen);
  s.visual = DefaultVisual(s.display, s.screen);
  s.depth = DefaultDepth(s.display, s.screen);
  XSetWindowAttributes attributes{};
  attributes.event_mask = kWindowEvents;
  attributes.border_pixel = 0;
  unsigned long valueMask = CWEventMask | CWBorderPixel | CWBackPixel;
  if (!x11::layoutFor(s.display, s.visual, s.depth, s.layout)) {
    if (!x11::fallbackVisual(s)) return false;
    attributes.colormap = s.colormapFor(s.root);
    valueMask |= CWColormap;
  }
  attributes.background_pixel = s.layout.encode(0xF0F0F0u);  // until the first present
  const int x = std::max(0, (DisplayWidth(s.display, s.screen) - width_) / 2);
  const int y = std::max(0, (DisplayHeight(s.display, s.screen) - height_) / 2);
  s.window = xlib().XCreateWindow(s.display, s.root, x, y, static_cast<unsigned int>(width_),
                                  static_cast<unsigned int>(height_), 0, s.depth, InputOutput, s.visual, valueMask,
                                  &attributes);
  if (s.window == 0) return false;
  atoms_ = x11::describeTopLevel(s.display, s.window, title, x, y, width_, height_);
  // It belongs to the host's window the editor is in, else to a window of the host's own (a session is
  // restored before any editor opens): the host waits for it, so it stays above and takes the keyboard.
  const auto editorParent = reinterpret_cast<uintptr_t>(messageBoxOwner());
  const ::Window parent = editorParent <= kMaxWindowId ? static_cast<::Window>(editorParent) : 0;
  x11::keepAboveOwner(s.display, s.window, x11::ownerFor(s.display, parent, s.window));
  gc_ = x11::makeGC(s.display, s.window);
  xlib().XMapRaised(s.display, s.window);
  x11::requestActivation(s.display, s.window);
  xlib().XSync(s.display, False);
  s.noteTrap(trap);
  return !trap.failed() && image_.init(s, width_, height_);
}

X11Window::Read X11Window::readEvent(bool modal, MouseState& down) {
  Session& s = *session_;
  if (!s.usable()) return Read::none;
  ErrorTrap trap(s.display);
  if (xlib().XPending(s.display) <= 0) {
    s.noteTrap(trap);
    return Read::none;
  }
  XEvent event;
  xlib().XNextEvent(s.display, &event);
  Read read = Read::handled;
  switch (event.type) {
    case Expose: {
      const XExposeEvent& e = event.xexpose;
      if (e.window == s.window) {
        noteExposed(e.x, e.y, e.width, e.height);
      } else {
        for (X11Popup* popup : s.popups) {
          if (popup->id() == e.window) popup->repaint(e.x, e.y, e.width, e.height);
        }
      }
      break;
    }
    case ButtonPress: {
      const XButtonEvent& e = event.xbutton;
      if (!modal && (e.button == Button4 || e.button == Button5)) {
        const MouseState at = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state));
        wheel_ = {at.x, at.y, e.button == Button4 ? 1 : -1};
        read = Read::wheel;
        break;
      }
      const int32_t bit = buttonBit(e.button);
      if (bit == 0) break;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state) | bit);
      if (!modal) {
        down = mouse_;
        read = Read::mouseDown;
      } else {
        read = Read::button;
      }
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& e = event.xbutton;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state) & ~buttonBit(e.button));
      read = Read::button;
      break;
    }
    case MotionNotify: {
      const XMotionEvent& e = event.xmotion;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state));
      read = Read::pointer;
      break;
    }
    case EnterNotify:
    case LeaveNotify: {
      const XCrossingEvent& e = event.xcrossing;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state));
      // The pointer left for a window above this one (or another client took it): the place it left at
      // may lie inside the window, yet no motion will say where it goes. Outside modal passes, with no
      // button held, it is outside from now on, so nothing keeps a hover look.
      const bool held = (mouse_.buttons & kMouseButtonBits) != 0;
      if (event.type == LeaveNotify && !modal && !held && e.window == s.window && e.detail != NotifyInferior &&
          mouse_.x >= 0 && mouse_.y >= 0 && mouse_.x < width_ && mouse_.y < height_) {
        mouse_.x = -1;
        mouse_.y = -1;
      }
      read = Read::pointer;
      break;
    }
    case KeyPress:
      if (modal) {
        if (xlib().XLookupKeysym(&event.xkey, 0) == XK_Escape) read = Read::escape;
      } else if (x11::translateKey(event.xkey, key_)) {
        read = Read::key;
      }
      break;
    case SelectionNotify:
      if (xdnd_.handle(s, event, modal ? nullptr : listener_) == x11::XdndTarget::Result::dropped) read = Read::drop;
      break;
    case ClientMessage: {
      const x11::XdndTarget::Result drop = xdnd_.handle(s, event, modal ? nullptr : listener_);
      if (drop != x11::XdndTarget::Result::notMine) {
        if (drop == x11::XdndTarget::Result::dropped) read = Read::drop;
        break;
      }
      const XClientMessageEvent& e = event.xclient;
      if (atoms_.protocols != 0 && e.message_type == atoms_.protocols && e.format == 32 &&
          static_cast<Atom>(e.data.l[0]) == atoms_.deleteWindow) {
        closePending_ = true;
        if (modal) read = Read::escape;  // ends the pass; dispatchEvents reports it
      }
      break;
    }
    case MapNotify:
      if (event.xmap.window == s.window && wantsFocus_) focusOn();
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == s.window) s.window = 0;  // the host destroyed its parent window
      break;
    default: break;
  }
  s.noteTrap(trap);
  return read;
}

MouseState X11Window::fromEvent(::Window window, int x, int y, int rootX, int rootY, int32_t bits) const {
  if (window == session_->window) return {x, y, bits};
  int originX = 0, originY = 0;
  if (!session_->editorOrigin(originX, originY)) return {mouse_.x, mouse_.y, bits};
  return {rootX - originX, rootY - originY, bits};
}

void X11Window::noteExposed(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0) return;
  if (!exposed_) {
    exposedLeft_ = x;
    exposedTop_ = y;
    exposedRight_ = x + w;
    exposedBottom_ = y + h;
    exposed_ = true;
    return;
  }
  exposedLeft_ = std::min(exposedLeft_, x);
  exposedTop_ = std::min(exposedTop_, y);
  exposedRight_ = std::max(exposedRight_, x + w);
  exposedBottom_ = std::max(exposedBottom_, y + h);
}

void X11Window::focusOn() {
  Session& s = *session_;
  if (!s.usable() || s.window == 0) return;
  ErrorTrap trap(s.display);
  XWindowAttributes attributes{};
  if (xlib().XGetWindowAttributes(s.display, s.window, &attributes) != 0 && attributes.map_state == IsViewable) {
    xlib().XSetInputFocus(s.display, s.window, RevertToParent, CurrentTime);
  }
  xlib().XFlush(s.display);
  s.noteTrap(trap);
}

bool X11Window::deliverExposed(Session& keep) {
  if (!exposed_ || listener_ == nullptr) return !keep.windowClosed;
  exposed_ = false;
  listener_->windowExposed(exposedLeft_, exposedTop_, exposedRight_ - exposedLeft_, exposedBottom_ - exposedTop_);
  return !keep.windowClosed;
}

}  // namespace

namespace {

// A window object on a display connection of its own; null when no display can be opened.
std::unique_ptr<X11Window> newWindow(int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
  const x11::XlibApi* api = x11::loadXlib();
  if (api == nullptr) return nullptr;  // no usable X11 client library on this machine
  Display* display = api->XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  auto session = std::make_shared<Session>();
  session->display = display;  // closed by the session from here on
  x11::surviveConnectionLoss(display, &session->connectionLost);
  return std::make_unique<X11Window>(session, width, height);
}

}  // namespace

std::unique_ptr<EditorWindow> createX11EditorWindow(uintptr_t parent, int32_t width, int32_t height) {
  if (parent == 0 || parent > kMaxWindowId) return nullptr;
  auto window = newWindow(width, height);
  if (!window || !window->open(static_cast<::Window>(parent))) return nullptr;
  return window;
}

std::unique_ptr<EditorWindow> createX11TopLevelWindow(int32_t width, int32_t height, const char* title) {
  auto window = newWindow(width, height);
  if (!window || !window->openTopLevel(title != nullptr ? title : "")) return nullptr;
  return window;
}

}  // namespace tarnwick::platform
