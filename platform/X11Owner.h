// Which of the host's windows our own top-level windows belong to (message boxes, the desktop's file
// dialog), and bringing another program's windows forward.
#pragma once

#include <sys/types.h>

#include <X11/Xlib.h>

namespace tarnwick::platform::x11 {

// [ui-thread] The client top-level window that holds `window`: its outermost ancestor that the window
// manager marked with WM_STATE, else (no window manager) the ancestor that is a child of the root. 0 when
// `window` is no window of this display. Needs Xlib loaded.
::Window topLevelOf(Display* display, ::Window window);

// [ui-thread] A mapped top-level window of process `pid` (by _NET_WM_PID), `except` left out: the active
// window when it is one of them, else the topmost. 0 when there is none.
::Window topLevelOfProcess(Display* display, pid_t pid, ::Window except = 0);

// [ui-thread] What a window of ours belongs to: the top-level window around `editorParent` (the host's
// window the editor is in; 0 when the editor is closed), else a top-level window of this process.
::Window ownerFor(Display* display, ::Window editorParent, ::Window except);

// [ui-thread] Asks the window manager to raise and focus a top-level window (the user's own request: a
// click of theirs led to it, or the window answers a question the host waits for).
void requestActivation(Display* display, ::Window window);

// [ui-thread] Raises the top-level windows of process `pid` and asks the window manager to activate the
// topmost; false when the process has no mapped top-level window (yet).
bool bringForward(Display* display, pid_t pid);

// [ui-thread] Makes the mapped top-level windows of process `pid` transient for `owner` (another program's
// dialog that could not be told so itself); false when the process has none mapped yet.
bool makeTransientFor(Display* display, pid_t pid, ::Window owner);

// [ui-thread] A display connection of its own for the calls above: opened by the constructor (display()
// is null without Xlib or a display), closed by the destructor. A lost connection never ends the host.
class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Display* display() const { return lost_ ? nullptr : display_; }

 private:
  Display* display_ = nullptr;
  bool lost_ = false;
};

}  // namespace tarnwick::platform::x11
