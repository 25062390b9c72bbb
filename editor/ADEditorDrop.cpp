// Files dropped onto the window: a recording on the wave display loads as Load Audio does, a bank anywhere
// loads as Load Bank does; anything else is refused with the reason in the status line.
#include <string>

#include "editor/ADEditor.h"
#include "editor/CLabel.h"
#include "editor/EditorActions.h"
#include "editor/WaveDisplay.h"
#include "gui/CFrame.h"
#include "storage/FileKind.h"

namespace tarnwick {

namespace {

constexpr size_t kLongestDroppedPath = 1023;
constexpr const char* kDropDuringDialogText = "the file dialog is open already";

// The name a refusal shows: the part after the last separator, "..." and its last 37 characters when it has
// more than 40.
std::string shownDropName(const std::string& path) {
#if defined(_WIN32)
  const size_t slash = path.find_last_of("/\\");
#else
  const size_t slash = path.find_last_of('/');
#endif
  std::string name = slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
  if (name.size() > 40) name = "..." + name.substr(name.size() - 37);
  return name;
}

}  // namespace

FileKind ADEditor::droppedKind(const std::string& path) {
  // Asked at every move of a drag: the file is read once per path.
  if (path != dropKindPath_) {
    dropKindPath_ = path;
    dropKind_ = fileKindOf(path.c_str());
  }
  return dropKind_;
}

bool ADEditor::acceptsDrop(const gui::FileDrag& drag, const gui::CPoint& where) {
  if (actions_ == nullptr || !frame || dialog_ != Dialog::kNone || drag.paths.empty()) return false;
  const std::string& path = drag.paths.front();
  if (path.size() > kLongestDroppedPath) return false;
  switch (droppedKind(path)) {
    case FileKind::kRecording: return c_.wave != nullptr && c_.wave->getViewSize().pointInside(where);
    case FileKind::kBank: return true;
    default: return false;
  }
}

void ADEditor::dropFiles(const gui::FileDrag& drag, const gui::CPoint& where) {
  if (actions_ == nullptr || !frame) return;
  dropKindPath_.clear();  // the next drag reads its file again
  if (dialog_ != Dialog::kNone) {
    showStatusText(kDropDuringDialogText, "", "");
    return;
  }
  if (frame->getModalView() != nullptr) return;  // the about screen
  // Of several files only the first is taken.
  if (drag.paths.empty()) {
    if (!drag.other.empty()) showDropRefused(drag.other, "not a local file");
    return;
  }
  const std::string path = drag.paths.front();
  if (path.size() > kLongestDroppedPath) {
    showStatus(kStorageNameTooLong);
    return;
  }
  switch (fileKindOf(path.c_str())) {
    case FileKind::kRecording:
      if (c_.wave == nullptr || !c_.wave->getViewSize().pointInside(where)) {
        showDropRefused(path, "drop a recording on the wave display");
        return;
      }
      finishLoadAudio(true, path);
      return;
    case FileKind::kBank: finishLoadBank(path, true); return;
    case FileKind::kUnreadable: showStatus(kStorageCannotOpen); return;
    case FileKind::kOther: showDropRefused(path, "not a recording or bank file"); return;
  }
}

void ADEditor::showDropRefused(const std::string& path, const char* reason) {
  const std::string line = "cannot load " + shownDropName(path) + ": " + reason;
  showStatusText(line.c_str(), "", "");
  if (c_.status) c_.status->setFontColor(kErrorColour);
}

}  // namespace tarnwick
