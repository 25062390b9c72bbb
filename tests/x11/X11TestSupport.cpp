// The X11 test fixture: server, host connection, parent window and read-back helpers.
#include "X11TestSupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace tarnwick::test {

namespace {

int channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1ul) == 0) ++shift;
  const unsigned long max = mask >> shift;
  const unsigned long value = (pixel & mask) >> shift;
  return static_cast<int>((value * 255ul + max / 2) / max);
}

}  // namespace

std::vector<uint32_t> testPattern(int32_t width, int32_t height, uint32_t seed) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  uint32_t state = seed * 2654435761u + 1u;
  for (auto& p : pixels) {
    state = state * 1664525u + 1013904223u;
    p = (state >> 8) & 0xFFFFFFu;
  }
  return pixels;
}

void X11Test::SetUp() {
  if (!XvfbServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
  const char* display = std::getenv("DISPLAY");
  hadDisplay_ = display != nullptr;
  if (hadDisplay_) savedDisplay_ = display;
  restartWithDepth(24);
}

void X11Test::restartWithDepth(int depth) {
  if (host_ != nullptr) {
    XCloseDisplay(host_);
    host_ = nullptr;
  }
  colormaps_.clear();
  ASSERT_TRUE(server_.start(1024, 768, depth)) << "Xvfb did not start";
  setenv("DISPLAY", server_.displayName().c_str(), 1);
  host_ = XOpenDisplay(server_.displayName().c_str());
  ASSERT_NE(host_, nullptr);
  parent_ = makeParent(DefaultVisual(host_, DefaultScreen(host_)), DefaultDepth(host_, DefaultScreen(host_)));
}

void X11Test::TearDown() {
  if (host_ != nullptr) XCloseDisplay(host_);
  host_ = nullptr;
  server_.stop();
  if (hadDisplay_)
    setenv("DISPLAY", savedDisplay_.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

::Window X11Test::makeParent(Visual* visual, int depth) {
  const int screen = DefaultScreen(host_);
  XSetWindowAttributes attributes{};
  attributes.background_pixel = kParentBackground;
  attributes.border_pixel = 0;
  unsigned long mask = CWBackPixel | CWBorderPixel;
  if (visual != DefaultVisual(host_, screen)) {
    attributes.colormap = XCreateColormap(host_, RootWindow(host_, screen), visual, AllocNone);
    colormaps_.push_back(attributes.colormap);
    mask |= CWColormap;
  }
  const ::Window parent = XCreateWindow(host_, RootWindow(host_, screen), kParentX, kParentY, 800, 600, 0, depth,
                                        InputOutput, visual, mask, &attributes);
  XMapWindow(host_, parent);
  XSync(host_, False);
  return parent;
}

std::vector<::Window> X11Test::childrenOf(::Window window) {
  ::Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  std::vector<::Window> result;
  if (XQueryTree(host_, window, &root, &parent, &children, &count) != 0) {
    result.assign(children, children + count);
  }
  if (children != nullptr) XFree(children);
  return result;
}

XWindowAttributes X11Test::attributesOf(::Window window) {
  XWindowAttributes attributes{};
  XGetWindowAttributes(host_, window, &attributes);
  return attributes;
}

std::vector<unsigned long> X11Test::readPixels(::Window window, int x, int y, int width, int height) {
  std::vector<unsigned long> result;
  // A window that is named but not yet mapped has no contents to read (the server answers BadMatch).
  if (attributesOf(window).map_state != IsViewable) return result;
  XImage* image = XGetImage(host_, window, x, y, static_cast<unsigned int>(width), static_cast<unsigned int>(height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) return result;
  result.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) result.push_back(XGetPixel(image, col, row));
  }
  XDestroyImage(image);
  return result;
}

std::vector<uint32_t> X11Test::readColours(::Window window, int x, int y, int width, int height) {
  const XWindowAttributes a = attributesOf(window);
  std::vector<uint32_t> result;
  for (const unsigned long p : readPixels(window, x, y, width, height)) {
    result.push_back(static_cast<uint32_t>(channel(p, a.visual->red_mask) << 16 |
                                           channel(p, a.visual->green_mask) << 8 | channel(p, a.visual->blue_mask)));
  }
  return result;
}

bool X11Test::dispatchUntil(platform::EditorWindow& window, const std::function<bool()>& done, int passes) {
  for (int pass = 0; pass < passes; ++pass) {
    window.dispatchEvents();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

void X11Test::sendButtonPress(::Window window, int x, int y, unsigned int button, unsigned int state) {
  XEvent event{};
  XButtonEvent& e = event.xbutton;
  e.type = ButtonPress;
  e.display = host_;
  e.window = window;
  e.root = DefaultRootWindow(host_);
  e.x = x;
  e.y = y;
  e.x_root = kParentX + x;
  e.y_root = kParentY + y;
  e.button = button;
  e.state = state;
  e.same_screen = True;
  XSendEvent(host_, window, False, ButtonPressMask, &event);
  XSync(host_, False);
}

void X11Test::sendKeyPress(::Window window, KeySym key, unsigned int state) {
  XEvent event{};
  XKeyEvent& e = event.xkey;
  e.type = KeyPress;
  e.display = host_;
  e.window = window;
  e.root = DefaultRootWindow(host_);
  e.keycode = XKeysymToKeycode(host_, key);
  e.state = state;
  e.same_screen = True;
  XSendEvent(host_, window, False, KeyPressMask, &event);
  XSync(host_, False);
}

void X11Test::sendDeleteWindow(::Window window) {
  XEvent event{};
  XClientMessageEvent& e = event.xclient;
  e.type = ClientMessage;
  e.window = window;
  e.message_type = XInternAtom(host_, "WM_PROTOCOLS", False);
  e.format = 32;
  e.data.l[0] = static_cast<long>(XInternAtom(host_, "WM_DELETE_WINDOW", False));
  e.data.l[1] = CurrentTime;
  XSendEvent(host_, window, False, NoEventMask, &event);
  XSync(host_, False);
}

std::string X11Test::textProperty(::Window window, const char* property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::string result;
  if (XGetWindowProperty(host_, window, XInternAtom(host_, property, False), 0, 4096, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data != nullptr && format == 8) {
    result.assign(reinterpret_cast<const char*>(data), count);
  }
  if (data != nullptr) XFree(data);
  return result;
}

std::vector<long> X11Test::longProperty(::Window window, const char* property) {
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<long> result;
  if (XGetWindowProperty(host_, window, XInternAtom(host_, property, False), 0, 4096, False, AnyPropertyType, &type,
                         &format, &count, &after, &data) == Success &&
      data != nullptr && format == 32) {
    const long* items = reinterpret_cast<const long*>(data);
    result.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return result;
}

::Window X11Test::topLevelNamed(const std::string& name) {
  for (const ::Window w : childrenOf(DefaultRootWindow(host_))) {
    if (textProperty(w, "_NET_WM_NAME") == name) return w;
  }
  return 0;
}

::Window X11Test::editorWindowIn(::Window parent) {
  const std::vector<::Window> children = childrenOf(parent);
  return children.size() == 1 ? children[0] : 0;
}

}  // namespace tarnwick::test
