// X11 editor window: child window and popups on a display connection of their own, pixels uploaded as
// images in the visual's layout, events read on the host's idle and in modal loops.
#include "platform/X11Window.h"

#include <poll.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/X11Support.h"

namespace tarnwick::platform {

namespace {

using x11::ErrorTrap;
using x11::PixelLayout;

constexpr int kModalWaitMs = 15;
constexpr int kMaxEventsPerPass = 256;  // a flood of motion must not hold the host's idle
constexpr int32_t kMaxSurfaceSide = 16384;
constexpr uintptr_t kMaxWindowId = 0x1FFFFFFF;  // X resource ids have the top three bits clear
constexpr long kWindowEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                               EnterWindowMask | LeaveWindowMask | StructureNotifyMask | KeyPressMask;
constexpr long kPopupEvents = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr unsigned int kGrabEvents = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;

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

class X11Popup;

// What the editor window and its popups share; the last of them to go closes the display.
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
  ~Session() {
    if (display == nullptr) return;
    ErrorTrap trap(display);
    if (ownsColormap && !connectionLost) XFreeColormap(display, colormap);
    XCloseDisplay(display);
  }
  bool usable() const { return display != nullptr && !connectionLost; }
  void noteTrap(const ErrorTrap& trap) {
    if (trap.connectionLost()) connectionLost = true;
  }
  // The colormap for a window of our visual whose parent has another one.
  Colormap colormapFor(::Window parentVisualOwner) {
    if (visual == DefaultVisual(display, screen)) return DefaultColormap(display, screen);
    if (!ownsColormap) {
      colormap = XCreateColormap(display, parentVisualOwner, visual, AllocNone);
      ownsColormap = true;
    }
    return colormap;
  }
  // Where the editor window's origin lies on the root window.
  bool editorOrigin(int& x, int& y) const {
    ::Window child = 0;
    return window != 0 && XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child) != 0;
  }
};

// A client-side image of one surface, in the visual's layout, uploaded part by part.
class Image {
 public:
  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  ~Image() { release(); }

  bool init(Session& session, int32_t width, int32_t height) {
    image_ = XCreateImage(session.display, session.visual, static_cast<unsigned int>(session.depth), ZPixmap, 0,
                          nullptr, static_cast<unsigned int>(width), static_cast<unsigned int>(height), 32, 0);
    if (image_ == nullptr || image_->bytes_per_line <= 0) return false;
    data_.assign(static_cast<size_t>(image_->bytes_per_line) * static_cast<size_t>(height), 0);
    image_->data = reinterpret_cast<char*>(data_.data());
    width_ = width;
    height_ = height;
    return true;
  }
  void release() {
    if (image_ == nullptr) return;
    image_->data = nullptr;  // ours, not Xlib's to free
    XDestroyImage(image_);
    image_ = nullptr;
  }
  // Converts the part (x, y, w, h) of pixels (the surface's top left at `pixels`) and sends it.
  void put(Session& session, Drawable target, GC gc, const uint32_t* pixels, int32_t stride, int32_t x, int32_t y,
           int32_t w, int32_t h) {
    const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int32_t x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    if (image_ == nullptr || pixels == nullptr || x0 >= x1 || y0 >= y1) return;
    const bool msbFirst = image_->byte_order == MSBFirst;
    const int bytes = session.layout.bytesPerPixel();
    for (int32_t row = y0; row < y1; ++row) {
      session.layout.encodeRow(pixels + static_cast<ptrdiff_t>(row) * stride + x0, x1 - x0,
                               data_.data() + static_cast<ptrdiff_t>(row) * image_->bytes_per_line +
                                   static_cast<ptrdiff_t>(x0) * bytes,
                               msbFirst);
    }
    XPutImage(session.display, target, gc, image_, x0, y0, x0, y0, static_cast<unsigned int>(x1 - x0),
              static_cast<unsigned int>(y1 - y0));
  }

 private:
  XImage* image_ = nullptr;
  std::vector<uint8_t> data_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

GC makeGC(Display* display, Drawable drawable) {
  XGCValues values{};
  values.graphics_exposures = False;
  return XCreateGC(display, drawable, GCGraphicsExposures, &values);
}

// A popup: an override-redirect top-level window that keeps its pixels to repaint itself on expose.
class X11Popup final : public PopupSurface {
 public:
  X11Popup(std::shared_ptr<Session> session, int32_t x, int32_t y, int32_t width, int32_t height)
      : session_(std::move(session)), x_(x), y_(y), width_(width), height_(height) {}
  X11Popup(const X11Popup&) = delete;
  X11Popup& operator=(const X11Popup&) = delete;

  // rootX, rootY: the top left on the screen. False when the server refused the window.
  bool open(int rootX, int rootY) {
    Session& s = *session_;
    ErrorTrap trap(s.display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.event_mask = kPopupEvents;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = s.colormapFor(s.root);
    window_ = XCreateWindow(s.display, s.root, rootX, rootY, static_cast<unsigned int>(width_),
                            static_cast<unsigned int>(height_), 0, s.depth, InputOutput, s.visual,
                            CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixmap | CWBorderPixel | CWColormap,
                            &attributes);
    s.popups.push_back(this);
    if (window_ == 0) return false;
    const Atom type = XInternAtom(s.display, "_NET_WM_WINDOW_TYPE", False);
    const Atom menu = XInternAtom(s.display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
    XChangeProperty(s.display, window_, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&menu),
                    1);
    gc_ = makeGC(s.display, window_);
    XMapRaised(s.display, window_);
    // Clicks outside every surface must still reach the modal loop; pointer events then arrive in editor
    // coordinates on the editor window. A grab that fails (editor not viewable) leaves the popup usable.
    if (!s.grabbed && s.window != 0) {
      const int pointer = XGrabPointer(s.display, s.window, False, kGrabEvents, GrabModeAsync, GrabModeAsync, None,
                                       None, CurrentTime);
      if (pointer == GrabSuccess) {
        XGrabKeyboard(s.display, s.window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
        s.grabbed = true;
      }
    }
    XSync(s.display, False);
    s.noteTrap(trap);
    return !trap.failed() && image_.init(s, width_, height_);
  }

  ~X11Popup() override {
    Session& s = *session_;
    s.popups.erase(std::remove(s.popups.begin(), s.popups.end(), this), s.popups.end());
    ErrorTrap trap(s.display);
    image_.release();
    if (gc_ != nullptr) XFreeGC(s.display, gc_);  // also after a connection loss: frees Xlib's memory
    if (!s.usable()) return;
    if (window_ != 0) XDestroyWindow(s.display, window_);
    if (s.popups.empty() && s.grabbed) {
      XUngrabPointer(s.display, CurrentTime);
      XUngrabKeyboard(s.display, CurrentTime);
      s.grabbed = false;
    }
    XFlush(s.display);
    s.noteTrap(trap);
  }

  int32_t x() const override { return x_; }
  int32_t y() const override { return y_; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }

  void present(const uint32_t* pixels, int32_t stride) override {
    if (pixels == nullptr || stride < width_) return;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    for (int32_t row = 0; row < height_; ++row) {
      const uint32_t* from = pixels + static_cast<ptrdiff_t>(row) * stride;
      std::copy(from, from + width_, pixels_.begin() + static_cast<ptrdiff_t>(row) * width_);
    }
    repaint(0, 0, width_, height_);
  }

  void repaint(int32_t x, int32_t y, int32_t w, int32_t h) {
    Session& s = *session_;
    if (pixels_.empty() || window_ == 0 || !s.usable()) return;
    ErrorTrap trap(s.display);
    image_.put(s, window_, gc_, pixels_.data(), width_, x, y, w, h);
    XFlush(s.display);
    s.noteTrap(trap);
  }

  ::Window id() const { return window_; }

 private:
  std::shared_ptr<Session> session_;
  ::Window window_ = 0;
  GC gc_ = nullptr;
  Image image_;
  std::vector<uint32_t> pixels_;
  int32_t x_, y_, width_, height_;
};

class X11Window final : public EditorWindow {
 public:
  X11Window(std::shared_ptr<Session> session, int32_t width, int32_t height)
      : session_(std::move(session)), width_(width), height_(height) {}
  X11Window(const X11Window&) = delete;
  X11Window& operator=(const X11Window&) = delete;

  bool open(::Window parent);

  ~X11Window() override {
    Session& s = *session_;
    s.windowClosed = true;
    ErrorTrap trap(s.display);
    image_.release();
    if (gc_ != nullptr) XFreeGC(s.display, gc_);  // also after a connection loss: frees Xlib's memory
    if (s.usable()) {
      if (s.window != 0) XDestroyWindow(s.display, s.window);
      XFlush(s.display);
    }
    s.window = 0;
  }

  void setListener(EditorWindowListener* listener) override { listener_ = listener; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }

  void present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0 || stride < width_) return;
    ErrorTrap trap(s.display);
    image_.put(s, s.window, gc_, pixels, stride, x, y, w, h);
    XFlush(s.display);
    s.noteTrap(trap);
  }

  void dispatchEvents() override {
    const std::shared_ptr<Session> keep = session_;  // the listener may destroy this window
    for (int n = 0; n < kMaxEventsPerPass; ++n) {
      MouseState down;
      const Read read = readEvent(false, down);
      if (read == Read::none) break;
      if (read == Read::mouseDown && listener_ != nullptr) {
        if (!deliverExposed(*keep)) return;
        listener_->windowMouseDown(down);
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

  MouseState mouseState() const override {
    Session& s = *session_;
    if (!s.usable() || s.window == 0) return {mouse_.x, mouse_.y, 0};
    ErrorTrap trap(s.display);
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    const bool sameScreen = XQueryPointer(s.display, s.window, &root, &child, &rootX, &rootY, &x, &y, &mask) != 0;
    s.noteTrap(trap);
    if (!sameScreen || trap.failed()) return mouse_;
    return {x, y, mouseBits(mask)};
  }

  std::unique_ptr<PopupSurface> openPopup(int32_t x, int32_t y, int32_t width, int32_t height) override {
    Session& s = *session_;
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
    // Kept on the screen: moved left / up where it would cross the right or bottom edge.
    int rootX = originX + x, rootY = originY + y;
    rootX = std::max(0, std::min(rootX, screenW - width));
    rootY = std::max(0, std::min(rootY, screenH - height));
    auto popup = std::make_unique<X11Popup>(session_, rootX - originX, rootY - originY, width, height);
    if (!popup->open(rootX, rootY)) return nullptr;
    return popup;
  }

 private:
  enum class Read { none, handled, mouseDown, escape };

  Read readEvent(bool modal, MouseState& down);
  int drainModal(bool& escape) {
    int handled = 0;
    for (; handled < kMaxEventsPerPass; ++handled) {
      MouseState ignored;
      const Read read = readEvent(true, ignored);
      if (read == Read::none) break;
      if (read == Read::escape) escape = true;
    }
    return handled;
  }
  MouseState fromEvent(::Window window, int x, int y, int rootX, int rootY, int32_t bits) const;
  void noteExposed(int32_t x, int32_t y, int32_t w, int32_t h);
  // Hands the exposed area to the listener; false when that destroyed the window.
  bool deliverExposed(Session& keep);

  std::shared_ptr<Session> session_;
  EditorWindowListener* listener_ = nullptr;
  int32_t width_;
  int32_t height_;
  GC gc_ = nullptr;
  Image image_;
  MouseState mouse_;  // as the last event told
  bool exposed_ = false;
  int32_t exposedLeft_ = 0, exposedTop_ = 0, exposedRight_ = 0, exposedBottom_ = 0;
};

bool bitsPerPixelFor(Display* display, int depth, int& bitsPerPixel) {
  int count = 0;
  XPixmapFormatValues* formats = XListPixmapFormats(display, &count);
  bool found = false;
  for (int i = 0; formats != nullptr && i < count && !found; ++i) {
    if (formats[i].depth == depth) {
      bitsPerPixel = formats[i].bits_per_pixel;
      found = true;
    }
  }
  if (formats != nullptr) XFree(formats);
  return found;
}

bool layoutFor(Display* display, const Visual* visual, int depth, PixelLayout& layout) {
  int bitsPerPixel = 0;
  return visual != nullptr && visual->c_class == TrueColor && bitsPerPixelFor(display, depth, bitsPerPixel) &&
         layout.init(static_cast<uint32_t>(visual->red_mask), static_cast<uint32_t>(visual->green_mask),
                     static_cast<uint32_t>(visual->blue_mask), depth, bitsPerPixel);
}

// A TrueColor visual of the screen for a parent whose own visual we cannot draw into (a palette visual):
// depth 24 if there is one, else the deepest.
bool fallbackVisual(Session& s) {
  XVisualInfo wanted{};
  wanted.screen = s.screen;
  wanted.c_class = TrueColor;
  int count = 0;
  XVisualInfo* infos = XGetVisualInfo(s.display, VisualScreenMask | VisualClassMask, &wanted, &count);
  const XVisualInfo* best = nullptr;
  for (int i = 0; infos != nullptr && i < count; ++i) {
    PixelLayout probe;
    if (!layoutFor(s.display, infos[i].visual, infos[i].depth, probe)) continue;
    if (best == nullptr || (infos[i].depth == 24 && best->depth != 24) ||
        (best->depth != 24 && infos[i].depth > best->depth)) {
      best = &infos[i];
      s.layout = probe;
    }
  }
  if (best != nullptr) {
    s.visual = best->visual;
    s.depth = best->depth;
  }
  if (infos != nullptr) XFree(infos);
  return best != nullptr;
}

bool X11Window::open(::Window parent) {
  Session& s = *session_;
  ErrorTrap trap(s.display);
  XWindowAttributes parentAttributes{};
  if (XGetWindowAttributes(s.display, parent, &parentAttributes) == 0 || trap.failed()) return false;
  s.root = parentAttributes.root;
  s.screen = XScreenNumberOfScreen(parentAttributes.screen);
  s.visual = parentAttributes.visual;
  s.depth = parentAttributes.depth;
  XSetWindowAttributes attributes{};
  attributes.event_mask = kWindowEvents;
  attributes.background_pixmap = None;  // no flash of a background before the frame presents
  unsigned long valueMask = CWEventMask | CWBackPixmap;
  if (!layoutFor(s.display, s.visual, s.depth, s.layout)) {
    if (!fallbackVisual(s)) return false;
    attributes.colormap = s.colormapFor(parent);
    attributes.border_pixel = 0;
    valueMask |= CWColormap | CWBorderPixel;
  }
  s.window = XCreateWindow(s.display, parent, 0, 0, static_cast<unsigned int>(width_),
                           static_cast<unsigned int>(height_), 0, s.depth, InputOutput, s.visual, valueMask,
                           &attributes);
  if (s.window == 0) return false;
  gc_ = makeGC(s.display, s.window);
  XMapWindow(s.display, s.window);
  XSync(s.display, False);
  s.noteTrap(trap);
  return !trap.failed() && image_.init(s, width_, height_);
}

X11Window::Read X11Window::readEvent(bool modal, MouseState& down) {
  Session& s = *session_;
  if (!s.usable()) return Read::none;
  ErrorTrap trap(s.display);
  if (XPending(s.display) <= 0) {
    s.noteTrap(trap);
    return Read::none;
  }
  XEvent event;
  XNextEvent(s.display, &event);
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
      const int32_t bit = buttonBit(e.button);
      if (bit == 0) break;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state) | bit);
      if (!modal) {
        down = mouse_;
        read = Read::mouseDown;
      }
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& e = event.xbutton;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state) & ~buttonBit(e.button));
      break;
    }
    case MotionNotify: {
      const XMotionEvent& e = event.xmotion;
      mouse_ = fromEvent(e.window, e.x, e.y, e.x_root, e.y_root, mouseBits(e.state));
      break;
    }
    case KeyPress:
      if (modal && XLookupKeysym(&event.xkey, 0) == XK_Escape) read = Read::escape;
      break;
    case DestroyNotify:
      if (event.xdestroywindow.window == s.window) s.window = 0;  // the host destroyed its parent window
      break;
    default:
      break;
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

bool X11Window::deliverExposed(Session& keep) {
  if (!exposed_ || listener_ == nullptr) return !keep.windowClosed;
  exposed_ = false;
  listener_->windowExposed(exposedLeft_, exposedTop_, exposedRight_ - exposedLeft_, exposedBottom_ - exposedTop_);
  return !keep.windowClosed;
}

}  // namespace

std::unique_ptr<EditorWindow> createX11EditorWindow(uintptr_t parent, int32_t width, int32_t height) {
  if (parent == 0 || parent > kMaxWindowId) return nullptr;
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return nullptr;
  auto session = std::make_shared<Session>();
  session->display = display;  // closed by the session from here on
  x11::surviveConnectionLoss(display, &session->connectionLost);
  auto window = std::make_unique<X11Window>(session, width, height);
  if (!window->open(static_cast<::Window>(parent))) return nullptr;
  return window;
}

}  // namespace tarnwick::platform
