// What the desktop's dialog programs need of the X11 backend, without Xlib's names (its macros, Status
// among them, would clash with ours).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>

namespace tarnwick::platform::x11 {

class Connection;

// [ui-thread] Raises the top-level windows of process `pid` and asks the window manager to activate them,
// on a display connection of its own; false without a display or when the process shows none (yet).
bool bringProcessForward(pid_t pid);

// [ui-thread] Makes another process's top-level windows transient for `owner` (an X11 window id) once
// they show, on a display connection it keeps while it looks.
class TransientWatch {
 public:
  explicit TransientWatch(uintptr_t owner);
  ~TransientWatch();
  TransientWatch(const TransientWatch&) = delete;
  TransientWatch& operator=(const TransientWatch&) = delete;
  // One look: true once done (the windows were found and marked, or there is no display to look on).
  bool adopt(pid_t pid);

 private:
  uintptr_t owner_;
  std::unique_ptr<Connection> connection_;
};

}  // namespace tarnwick::platform::x11
