// Finding the host's top-level windows (window tree, WM_STATE, _NET_WM_PID, the window manager's client
// lists) and asking the window manager to bring a window forward.
#include "platform/X11Owner.h"

#include <unistd.h>

#include <X11/Xatom.h>

#include <vector>

#include "platform/X11Api.h"
#include "platform/X11Dialogs.h"
#include "platform/X11Support.h"

namespace tarnwick::platform::x11 {

namespace {

constexpr int kMaxDepth = 64;          // ancestors walked up at most
constexpr long kMaxItems = 65536;      // items of a list property read at most
constexpr long kSourceUserAction = 2;  // _NET_ACTIVE_WINDOW: a request the user made directly

// The items of a format-32 property (Xlib hands them as longs); empty when it is absent or of another kind.
std::vector<unsigned long> itemsOf(Display* display, ::Window window, Atom property, Atom type) {
  std::vector<unsigned long> items;
  if (property == None) return items;
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (xlib().XGetWindowProperty(display, window, property, 0, kMaxItems, False, type, &actualType, &actualFormat,
                                &count, &after, &data) == Success &&
      data != nullptr && actualFormat == 32) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data != nullptr) xlib().XFree(data);
  return items;
}

bool hasProperty(Display* display, ::Window window, Atom property) {
  Atom actualType = None;
  int actualFormat = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool read = xlib().XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &actualType,
                                              &actualFormat, &count, &after, &data) == Success;
  if (data != nullptr) xlib().XFree(data);
  return read && actualType != None;
}

std::vector<::Window> childrenOf(Display* display, ::Window window) {
  ::Window root = 0, parent = 0;
  ::Window* children = nullptr;
  unsigned int count = 0;
  std::vector<::Window> out;
  if (xlib().XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children != nullptr)
    out.assign(children, children + count);
  if (children != nullptr) xlib().XFree(children);
  return out;
}

// Client top-level windows, bottom first: the window manager's lists, else (none running) the children of
// the root and, for a frame of a window manager that keeps no list, the frames' children.
std::vector<::Window> topLevels(Display* display) {
  const ::Window root = DefaultRootWindow(display);
  for (const char* name : {"_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST"}) {
    const std::vector<unsigned long> listed =
        itemsOf(display, root, xlib().XInternAtom(display, name, True), XA_WINDOW);
    if (!listed.empty()) return std::vector<::Window>(listed.begin(), listed.end());
  }
  std::vector<::Window> out;
  for (const ::Window child : childrenOf(display, root)) {
    out.push_back(child);
    for (const ::Window inner : childrenOf(display, child)) out.push_back(inner);
  }
  return out;
}

// The mapped, managed top-level windows of process pid, bottom first.
std::vector<::Window> windowsOfProcess(Display* display, pid_t pid, ::Window except) {
  const Atom pidAtom = xlib().XInternAtom(display, "_NET_WM_PID", True);
  std::vector<::Window> out;
  if (pidAtom == None || pid <= 0) return out;
  for (const ::Window window : topLevels(display)) {
    if (window == except) continue;
    const std::vector<unsigned long> owner = itemsOf(display, window, pidAtom, XA_CARDINAL);
    if (owner.size() != 1 || owner[0] != static_cast<unsigned long>(pid)) continue;
    XWindowAttributes attributes{};
    if (xlib().XGetWindowAttributes(display, window, &attributes) == 0) continue;
    if (attributes.map_state == IsViewable && !attributes.override_redirect) out.push_back(window);
  }
  return out;
}

}  // namespace

void requestActivation(Display* display, ::Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = xlib().XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = kSourceUserAction;
  event.xclient.data.l[1] = CurrentTime;
  xlib().XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                    &event);
}

::Window topLevelOf(Display* display, ::Window window) {
  if (display == nullptr || window == 0) return 0;
  ErrorTrap trap(display);
  const Atom wmState = xlib().XInternAtom(display, "WM_STATE", True);  // None: no window manager ever ran
  ::Window current = window, client = 0, top = 0;
  for (int depth = 0; depth < kMaxDepth && current != 0; ++depth) {
    if (wmState != None && hasProperty(display, current, wmState)) client = current;
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    const Status queried = xlib().XQueryTree(display, current, &root, &parent, &children, &count);
    if (children != nullptr) xlib().XFree(children);
    if (queried == 0 || trap.failed() || parent == 0) return 0;  // no such window, or the root itself
    if (parent == root) {
      top = current;
      break;
    }
    current = parent;
  }
  return client != 0 ? client : top;
}

::Window topLevelOfProcess(Display* display, pid_t pid, ::Window except) {
  if (display == nullptr) return 0;
  ErrorTrap trap(display);
  const std::vector<::Window> ours = windowsOfProcess(display, pid, except);
  if (ours.empty() || trap.failed()) return 0;
  const std::vector<unsigned long> active =
      itemsOf(display, DefaultRootWindow(display), xlib().XInternAtom(display, "_NET_ACTIVE_WINDOW", True), XA_WINDOW);
  for (const ::Window window : ours) {
    if (active.size() == 1 && active[0] == window) return window;
  }
  return ours.back();
}

::Window ownerFor(Display* display, ::Window editorParent, ::Window except) {
  if (editorParent != 0) {
    if (const ::Window top = topLevelOf(display, editorParent); top != 0 && top != except) return top;
  }
  return topLevelOfProcess(display, getpid(), except);
}

bool bringForward(Display* display, pid_t pid) {
  if (display == nullptr) return false;
  ErrorTrap trap(display);
  const std::vector<::Window> windows = windowsOfProcess(display, pid, 0);
  // A window manager takes a raise of its client as a request; without one the window moves up itself.
  for (const ::Window window : windows) xlib().XRaiseWindow(display, window);
  if (!windows.empty()) requestActivation(display, windows.back());
  xlib().XSync(display, False);  // done when this returns
  return !windows.empty() && !trap.failed();
}

bool makeTransientFor(Display* display, pid_t pid, ::Window owner) {
  if (display == nullptr || owner == 0) return false;
  ErrorTrap trap(display);
  const std::vector<::Window> windows = windowsOfProcess(display, pid, 0);
  for (const ::Window window : windows) {
    xlib().XChangeProperty(display, window, XA_WM_TRANSIENT_FOR, XA_WINDOW, 32, PropModeReplace,
                           reinterpret_cast<const unsigned char*>(&owner), 1);
  }
  xlib().XSync(display, False);  // done when this returns
  return !windows.empty() && !trap.failed();
}

Connection::Connection() {
  const XlibApi* api = loadXlib();
  if (api == nullptr) return;
  display_ = api->XOpenDisplay(nullptr);
  if (display_ != nullptr) surviveConnectionLoss(display_, &lost_);
}

Connection::~Connection() {
  if (display_ == nullptr) return;
  ErrorTrap trap(display_);
  xlib().XCloseDisplay(display_);
}

bool bringProcessForward(pid_t pid) {
  Connection connection;
  return bringForward(connection.display(), pid);
}

TransientWatch::TransientWatch(uintptr_t owner) : owner_(owner) {}

TransientWatch::~TransientWatch() = default;

bool TransientWatch::adopt(pid_t pid) {
  if (!connection_) connection_ = std::make_unique<Connection>();
  Display* display = connection_->display();
  return display == nullptr || makeTransientFor(display, pid, static_cast<::Window>(owner_));
}

}  // namespace tarnwick::platform::x11
