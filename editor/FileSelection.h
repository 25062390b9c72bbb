// One file selection, run without blocking the host's user interface: the host's own selector when
// the host offers one, else the desktop's dialog (a child process on Linux, the system's common dialog
// on Windows), else the toolkit's file browser over the editor window. The editor starts it and polls
// it from its idle. [ui-thread]
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/FileSelectRequest.h"

namespace tarnwick {

namespace gui {
class CFrame;
}
class EditorActions;

class FileSelection {
 public:
  enum class Status { kRunning, kChosen, kCancelled };
  virtual ~FileSelection() = default;
  // kChosen fills path (UTF-8, any length: the caller checks it).
  virtual Status poll(std::string& path) = 0;
  // Whether the selection runs in a window of another program (the desktop's dialog), which may take a
  // while to show and can fall behind the host's windows.
  virtual bool inOwnWindow() const { return false; }
  // Brings that window forward (another click on the button that opened it); false when it has none.
  virtual bool bringForward() { return false; }

  // Starts a selection; never null (a selection that cannot run reports kCancelled).
  static std::unique_ptr<FileSelection> start(const FileSelectRequest& selectRequest, EditorActions& actions,
                                              gui::CFrame* frame);
};

// The three dialogs of the editor.
FileSelectRequest loadAudioRequest();
FileSelectRequest loadBankRequest();
FileSelectRequest saveBankRequest();

}  // namespace tarnwick
