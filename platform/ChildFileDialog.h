// The desktop's own file dialog (zenity or kdialog) as a child process that the editor polls from its
// idle, so the host's user interface keeps running while the user browses.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "platform/FileDialogRequest.h"

namespace tarnwick::platform {

namespace x11 {
class TransientWatch;
}

// [ui-thread] One dialog process. Its arguments are passed as they are (no shell ever sees them), it reads
// nothing and its error output is dropped; the path it prints is taken byte for byte (UTF-8 or not).
class ChildFileDialog {
 public:
  enum class Status { kRunning, kChosen, kCancelled, kFailed };

  // Starts zenity (else, to open a file, kdialog) found on PATH. Null when there is no such program, no
  // DISPLAY or WAYLAND_DISPLAY, TARNWICK_FILE_DIALOG=builtin is set, or the program cannot be started: the
  // caller then shows its own browser. Saving never uses kdialog, which asks about overwriting on its
  // own (the instrument asks itself); zenity is started without its overwrite question. With an owner
  // window both are made transient for it (--attach), so the window manager keeps them above the host.
  static std::unique_ptr<ChildFileDialog> start(const FileDialogRequest& request);

  ChildFileDialog(const ChildFileDialog&) = delete;
  ChildFileDialog& operator=(const ChildFileDialog&) = delete;
  // A running child (with whatever it started) is terminated and reaped; waits a fraction of a second at
  // most before it kills it outright.
  ~ChildFileDialog();

  // [ui-thread] Never blocks: takes what the child printed so far and reaps it once it has ended. kChosen
  // sets path; the final status is answered again on later calls. kFailed: the program ended abnormally
  // (crash, an error status, output too long to be a path).
  Status poll(std::string& path);

  // [ui-thread] Raises the dialog's windows and asks for them to be activated (a second click on the
  // button that opened it); false when it shows none yet or runs without a window system of ours.
  bool bringForward();

  // The child's process id while it is not reaped (-1 after); for tests.
  pid_t processId() const { return pid_; }

 private:
  ChildFileDialog(pid_t pid, int output, uintptr_t owner);
  void readOutput();
  void finish(bool statusKnown, int waitStatus);
  // Makes the dialog's window transient for the owner once it shows (zenity does not do so itself for
  // its file selection, whatever --attach says); looked for on every few polls until found.
  void watchForWindow();

  pid_t pid_;
  int output_;
  uintptr_t owner_;
  int polls_ = 0;
  std::unique_ptr<x11::TransientWatch> watch_;
  std::string printed_;
  bool overflow_ = false;
  Status status_ = Status::kRunning;
  std::string path_;
};

}  // namespace tarnwick::platform
