// The ways a file is chosen, and the dialogs' titles and file types.
#include "editor/FileSelection.h"

#include <cstdlib>
#include <cstring>

#include "editor/EditorActions.h"
#include "editor/RecordingInfo.h"
#include "gui/CFileBrowser.h"
#include "gui/CFrame.h"
#include "platform/EditorWindow.h"
#include "platform/MessageBox.h"

#if defined(_WIN32)
#include "platform/CommonFileDialog.h"
#else
#include "platform/ChildFileDialog.h"
#endif

namespace tarnwick {

namespace {

// The host's selector: the host runs its dialog as it likes and returns with the result.
class HostSelection final : public FileSelection {
 public:
  HostSelection(const FileSelectRequest& selectRequest, EditorActions& actions) {
    chosen_ = actions.runHostFileSelector(selectRequest, path_);
  }
  Status poll(std::string& path) override {
    if (!chosen_) return Status::kCancelled;
    path = path_;
    return Status::kChosen;
  }

 private:
  bool chosen_ = false;
  std::string path_;
};

class CancelledSelection final : public FileSelection {
 public:
  Status poll(std::string&) override { return Status::kCancelled; }
};

// The extensions of a type ("*" for every file); the dialogs and the browser add the other case.
std::vector<std::string> extensionsOf(const FileTypeEntry& type) { return {type.dosType}; }

// The desktop dialog's and the browser's requests carry the same fields.
template <typename Request>
Request requestFor(const FileSelectRequest& selectRequest) {
  Request request;
  request.save = selectRequest.save;
  request.title = selectRequest.title;
  for (const FileTypeEntry& type : selectRequest.types) request.filters.push_back({type.name, extensionsOf(type)});
  request.folder = selectRequest.folder;
  request.fileName = selectRequest.fileName;
  return request;
}

// The toolkit's browser as a modal view over the editor; it runs in the frame's idle.
class BrowserSelection final : public FileSelection {
 public:
  BrowserSelection(const FileSelectRequest& selectRequest, gui::CFrame* frame, EditorActions* actions) : frame_(frame) {
    browser_ = new gui::CFileBrowser(browserRect(*frame), requestFor<gui::FileBrowseRequest>(selectRequest));
    if (selectRequest.previewRecordings && actions != nullptr) {
      previewer_ = actions;
      // A selected recording plays at once, and the info line tells what its header says.
      browser_->setFileSelectedHook([actions](const std::string& path) {
        if (path.empty()) {
          actions->previewRecording("");
          return std::string();
        }
        const RecordingInfo info = recordingInfo(path.c_str());
        actions->previewRecording(info.playable ? path.c_str() : "");
        return info.line;
      });
    }
    frame_->addView(browser_);  // the frame holds the browser from here
    // Another modal view (a menu still open) leaves no room for the browser: nothing is chosen.
    if (!frame_->setModalView(browser_)) close();
  }
  ~BrowserSelection() override { close(); }
  Status poll(std::string& path) override {
    if (browser_ == nullptr) return Status::kCancelled;
    switch (browser_->state()) {
      case gui::CFileBrowser::State::kOpen: return Status::kRunning;
      case gui::CFileBrowser::State::kChosen:
        path = browser_->path();
        close();
        return Status::kChosen;
      case gui::CFileBrowser::State::kCancelled: break;
    }
    close();
    return Status::kCancelled;
  }

 private:
  // The browser covers the editor but for a margin, so the window behind stays recognisable.
  static gui::CRect browserRect(const gui::CFrame& frame) {
    const gui::CRect& all = frame.getViewSize();
    constexpr gui::CCoord kMargin = 8;
    return gui::CRect(all.left + kMargin, all.top + kMargin, all.right - kMargin, all.bottom - kMargin);
  }
  void close() {
    if (browser_ == nullptr) return;
    if (previewer_ != nullptr) previewer_->previewRecording("");  // Escape, Open or the window's end
    frame_->removeView(browser_);  // ends its modality; the frame forgets and releases it
    browser_ = nullptr;
  }

  gui::CFrame* frame_;
  gui::CFileBrowser* browser_ = nullptr;
  EditorActions* previewer_ = nullptr;
};

#if defined(_WIN32)
// The system's Open or Save dialog, run to its end here (it pumps the messages meanwhile), owned by the
// window the editor is in; when it cannot run, the browser takes over.
class SystemDialogSelection final : public FileSelection {
 public:
  SystemDialogSelection(const FileSelectRequest& selectRequest, gui::CFrame* frame, EditorActions& actions) {
    switch (platform::runCommonFileDialog(requestFor<platform::FileDialogRequest>(selectRequest),
                                          platform::messageBoxOwner(), path_)) {
      case platform::CommonDialogResult::kChosen: status_ = Status::kChosen; break;
      case platform::CommonDialogResult::kCancelled: status_ = Status::kCancelled; break;
      case platform::CommonDialogResult::kFailed:
        status_ = Status::kCancelled;
        if (frame != nullptr) fallback_ = std::make_unique<BrowserSelection>(selectRequest, frame, &actions);
        break;
    }
  }
  Status poll(std::string& path) override {
    if (fallback_) return fallback_->poll(path);
    if (status_ == Status::kChosen) path = path_;
    return status_;
  }

 private:
  Status status_ = Status::kCancelled;
  std::string path_;
  std::unique_ptr<BrowserSelection> fallback_;
};
#else
// The desktop's dialog in a child process; when it cannot run or fails, the browser takes over.
class DesktopSelection final : public FileSelection {
 public:
  DesktopSelection(std::unique_ptr<platform::ChildFileDialog> dialog, const FileSelectRequest& selectRequest,
                   gui::CFrame* frame, EditorActions& actions)
      : dialog_(std::move(dialog)), selectRequest_(selectRequest), frame_(frame), actions_(actions) {}
  bool inOwnWindow() const override { return dialog_ != nullptr; }
  bool bringForward() override { return dialog_ != nullptr && dialog_->bringForward(); }
  Status poll(std::string& path) override {
    if (fallback_) return fallback_->poll(path);
    switch (dialog_->poll(path)) {
      case platform::ChildFileDialog::Status::kRunning: return Status::kRunning;
      case platform::ChildFileDialog::Status::kChosen: return Status::kChosen;
      case platform::ChildFileDialog::Status::kCancelled: return Status::kCancelled;
      case platform::ChildFileDialog::Status::kFailed: break;
    }
    dialog_.reset();
    if (frame_ == nullptr) return Status::kCancelled;
    fallback_ = std::make_unique<BrowserSelection>(selectRequest_, frame_, &actions_);
    return Status::kRunning;
  }

 private:
  std::unique_ptr<platform::ChildFileDialog> dialog_;
  FileSelectRequest selectRequest_;
  gui::CFrame* frame_;
  EditorActions& actions_;
  std::unique_ptr<BrowserSelection> fallback_;
};
#endif

const FileTypeEntry kBankType = {"Tarnwick fxBank", ".vlb", "vlb", "vlb", "preset-bank", "audio/preset-bank"};

}  // namespace

std::unique_ptr<FileSelection> FileSelection::start(const FileSelectRequest& selectRequest, EditorActions& actions,
                                                    gui::CFrame* frame) {
  if (actions.hostHasFileSelector()) return std::make_unique<HostSelection>(selectRequest, actions);
#if defined(_WIN32)
  // TARNWICK_FILE_DIALOG=builtin asks for the browser, as on Linux (the system's dialog is modal).
  const char* choice = std::getenv("TARNWICK_FILE_DIALOG");
  if (choice == nullptr || std::strcmp(choice, "builtin") != 0 || frame == nullptr)
    return std::make_unique<SystemDialogSelection>(selectRequest, frame, actions);
#else
  // The dialog belongs to the host's window the editor is in.
  auto request = requestFor<platform::FileDialogRequest>(selectRequest);
  if (frame != nullptr && frame->getPlatformWindow() != nullptr)
    request.owner = frame->getPlatformWindow()->dialogOwner();
  if (auto dialog = platform::ChildFileDialog::start(request))
    return std::make_unique<DesktopSelection>(std::move(dialog), selectRequest, frame, actions);
#endif
  if (frame != nullptr) return std::make_unique<BrowserSelection>(selectRequest, frame, &actions);
  return std::make_unique<CancelledSelection>();
}

FileSelectRequest loadAudioRequest() {
  FileSelectRequest selectRequest;
  selectRequest.title = "Load Audio File";
  selectRequest.previewRecordings = true;
  selectRequest.types = {{"WAVE File", ".WAV", "wav", "wav", "audio/wav", "audio/x-wav"},
                         {"AIFF File", ".AIFF", "aiff", "aiff", "audio/aiff", "audio/x-aiff"},
                         {"AIF File", ".AIF", "aif", "aif", "audio/aif", "audio/x-aif"},
                         {"All Files", ".*", "*", "", "", ""}};
  return selectRequest;
}

FileSelectRequest loadBankRequest() {
  FileSelectRequest selectRequest;
  selectRequest.title = "Load Bank";
  selectRequest.types = {kBankType};
  return selectRequest;
}

FileSelectRequest saveBankRequest() {
  FileSelectRequest selectRequest;
  selectRequest.save = true;
  selectRequest.title = "Save Bank to";
  selectRequest.types = {kBankType};
  return selectRequest;
}

}  // namespace tarnwick
