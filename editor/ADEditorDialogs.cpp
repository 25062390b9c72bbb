// The file dialogs: load audio, load bank (from the dialog or a recent file), save bank. A selection is
// started from a click and finished on a later idle, so the host's user interface keeps running while
// the user browses.
#include <string>
#include <utility>

#include "editor/ADEditor.h"
#include "editor/EditorActions.h"
#include "editor/FileSelection.h"
#include "editor/WaveDisplay.h"
#include "engine/Numeric.h"
#include "gui/COptionMenu.h"
#include "storage/StorageResult.h"

namespace tarnwick {

namespace {

constexpr size_t kLongestPath = 1023;
constexpr const char* kDialogOpeningText = "opening the file dialog....";
constexpr const char* kDialogOpenText = "the file dialog is open already";

bool endsWith(const std::string& s, const char* tail) {
  const size_t n = std::char_traits<char>::length(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

// Windows takes either slash between the parts of a path.
#if defined(_WIN32)
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

// The folder part of a path ("" when it has none) and the name after it.
std::string folderOf(const std::string& path) {
  const size_t slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos) return std::string();
  // A root keeps its separator ("/", and "C:\" on Windows).
  const bool root = slash == 0 || (kSeparators[1] != '\0' && slash == 2 && path[1] == ':');
  return path.substr(0, root ? slash + 1 : slash);
}

// A bank's file name ends in ".vlb" (or ".VLB"); a name without it gets ".vlb".
std::string withBankExtension(std::string name) {
  if (name.empty()) return name;
  if (name.size() < 4 || (!endsWith(name, ".VLB") && !endsWith(name, ".vlb"))) name += ".vlb";
  return name;
}

std::string nameOf(const std::string& path) {
  const size_t slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void ADEditor::startDialog(Dialog kind, const std::string* proposed) {
  if (actions_ == nullptr) return;
  if (dialog_ != Dialog::kNone) {
    // One dialog at a time: another click brings the one that is open forward.
    if (selection_ && selection_->inOwnWindow())
      showStatusText(selection_->bringForward() ? kDialogOpenText : kDialogOpeningText, "", "");
    return;
  }
  FileSelectRequest selectRequest = kind == Dialog::kLoadAudio
                                        ? loadAudioRequest()
                                        : (kind == Dialog::kSaveBank ? saveBankRequest() : loadBankRequest());
  // The desktop's dialog and the browser open where the user was last: the recording's folder, or the
  // bank's (else the most recent bank's); a save proposes the bank's own name.
  if (kind == Dialog::kLoadAudio) {
    StorageSummary summary;
    model_->readStorageSummary(summary);
    selectRequest.folder = folderOf(summary.audioFileName);
  } else if (proposed != nullptr) {
    selectRequest.folder = folderOf(*proposed);
    selectRequest.fileName = nameOf(*proposed);
  } else {
    // A bank that was never saved has a name without a folder: then the most recent bank's folder.
    const std::string bank = actions_->bankFileName();
    const char* recent = model_->recentFile(0);
    selectRequest.folder = folderOf(bank);
    if (selectRequest.folder.empty()) selectRequest.folder = folderOf(recent != nullptr ? recent : "");
    // With its extension, so that a dialog that selects the name up to the extension for typing does
    // not take a dot inside the name ("V1.0") for it.
    if (kind == Dialog::kSaveBank) selectRequest.fileName = withBankExtension(nameOf(bank));
  }
  dialog_ = kind;
  selection_ = FileSelection::start(selectRequest, *actions_, frame);
  pollDialog();  // a host's selector has answered already
  // The desktop's dialog can take seconds to show its window.
  if (selection_ && selection_->inOwnWindow()) showStatusText(kDialogOpeningText, "", "");
}

void ADEditor::pollDialog() {
  if (dialog_ == Dialog::kNone && !saveAgainAt_.empty()) {
    const std::string proposed = std::move(saveAgainAt_);
    saveAgainAt_.clear();
    startDialog(Dialog::kSaveBank, &proposed);
    return;
  }
  if (dialog_ == Dialog::kNone || !selection_) return;
  std::string path;
  const FileSelection::Status status = selection_->poll(path);
  if (status == FileSelection::Status::kRunning) return;
  const Dialog kind = dialog_;
  dialog_ = Dialog::kNone;
  selection_.reset();
  const bool chosen = status == FileSelection::Status::kChosen;
  switch (kind) {
    case Dialog::kLoadAudio: finishLoadAudio(chosen, path); break;
    case Dialog::kSaveBank: finishSaveBank(chosen, path); break;
    case Dialog::kLoadBank:
      if (path.size() > kLongestPath) {
        showStatus(kStorageNameTooLong);
        break;
      }
      finishLoadBank(chosen ? path : std::string(), true);
      break;
    case Dialog::kNone: break;
  }
}

void ADEditor::finishLoadAudio(bool chosen, const std::string& path) {
  if (path.size() > kLongestPath) {
    showStatus(kStorageNameTooLong);
    return;
  }
  if (!chosen || path.empty()) {
    showCancelled();
    return;
  }
  // Read and converted on the instrument's loader while the window keeps running; idle shows how far
  // it has come and ends it. A load running still is dropped.
  if (actions_->startAudioLoad(path.c_str())) {
    loadingAudio_ = true;
    loadingPath_ = path;
    showLoadProgress(0);
    return;
  }
  endLoadAudio(actions_->loadAudioFile(path.c_str()));
}

void ADEditor::endLoadAudio(StorageResult result) {
  // The window shows the last played key's values again, whatever the load gave.
  actions_->selectLastKey();
  if (result != kStorageOk) {
    showStatus(result);
    return;
  }
  redrawAll();
  showStatus(kStatusAudioLine);
}

void ADEditor::finishSaveBank(bool chosen, std::string path) {
  if (!chosen) {
    showCancelled();
    return;
  }
  // The extension goes on whatever the length; a path that is then too long is refused, never cut.
  if (!endsWith(path, ".VLB") && !endsWith(path, ".vlb")) path += ".vlb";
  if (path.size() > kLongestPath) {
    showStatus(kStorageNameTooLong);
    return;
  }
  const std::string previous = actions_->bankFileName();
  actions_->setBankFileName(path.c_str());
  const StorageResult result = actions_->saveBank(path.c_str());
  if (result != kStorageOk) {
    actions_->setBankFileName(previous.c_str());
    // No to replacing the file that is there: back to the dialog (from the next idle, so a host's selector
    // that answers at once does not nest), which proposes the same folder and name.
    if (result == kStorageFileExists) {
      saveAgainAt_ = path;
      return;
    }
    showStatus(result);
    return;
  }
  showStatus(kStatusBankLine);
  addRecentBank(path);
}

void ADEditor::loadBankFromMenu(float value) {
  const int32_t entry = truncToInt(value);
  if (entry == 0) {
    startDialog(Dialog::kLoadBank);
    return;
  }
  const char* recent = recentBankAt(entry);
  // An entry whose stored path was too long holds a placeholder that is never opened.
  if (recent == nullptr || recent[0] == '<' || recent[0] == '\0') {
    showStatus(kStatusNothingToDo);
    if (c_.wave) c_.wave->setDirty(true);
    return;
  }
  finishLoadBank(recent, false);
}

void ADEditor::finishLoadBank(const std::string& path, bool fromDialog) {
  if (path.empty()) {
    showCancelled();  // the dialog was cancelled
  } else {
    const std::string previous = actions_->bankFileName();
    actions_->setBankFileName(path.c_str());
    const StorageResult result = actions_->loadBank(path.c_str());
    if (result != kStorageOk) {
      actions_->setBankFileName(previous.c_str());
      showStatus(result);
    } else {
      // A bank picked from the recent files keeps its place in the list.
      if (fromDialog) addRecentBank(path);
      showStatus(kStatusBankLine);
      redrawAll();
    }
  }
  if (c_.wave) c_.wave->setDirty(true);
}

void ADEditor::addRecentBank(const std::string& path) {
  // The new path takes the first recent entry; the oldest one falls off the list.
  if (actions_->addRecentFile(path.c_str()) && c_.bankMenu) fillBankMenu(c_.bankMenu);
}

}  // namespace tarnwick
