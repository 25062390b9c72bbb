// A recording loading without the editor waiting: its progress in the status line at every idle, and
// the load's end, with the same lines as a load the editor waits for.
#include <string>

#include "editor/ADEditor.h"
#include "editor/CLabel.h"
#include "editor/EditorActions.h"
#include "editor/StatusText.h"

namespace tarnwick {

void ADEditor::pollAudioLoad() {
  if (!loadingAudio_ || actions_ == nullptr) return;
  const AudioLoadProgress progress = actions_->pollAudioLoad();
  switch (progress.phase) {
    case AudioLoadProgress::Phase::kRunning:
      if (progress.percent != shownLoadPercent_) showLoadProgress(progress.percent);
      return;
    case AudioLoadProgress::Phase::kFinished:
      loadingAudio_ = false;
      endLoadAudio(progress.result);
      return;
    case AudioLoadProgress::Phase::kNone:
      // A session or bank came in meanwhile and took its place: where the line still shows the load,
      // it shows what is loaded now.
      loadingAudio_ = false;
      if (c_.status && loadingLine_ == c_.status->getText()) showStatus(kStatusAudioLine);
      return;
  }
}

void ADEditor::showLoadProgress(int32_t percent) {
  shownLoadPercent_ = percent;
  const std::string line = loadingLine(loadingPath_, percent);
  showStatusText(line.c_str(), "", "");
  loadingLine_ = statusText();
}

}  // namespace tarnwick
