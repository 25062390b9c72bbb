// Idle refresh: pending values, the level meter, bar hover and the playing-grain marker, the buttons'
// highlight bitmaps, the edit row, and drawing.
#include <chrono>

#include "editor/ADEditor.h"
#include "editor/CLabel.h"
#include "editor/Layout.h"
#include "editor/RecordingNotice.h"
#include "editor/WaveDisplay.h"
#include "engine/Numeric.h"
#include "gui/Toolkit.h"

namespace tarnwick {

using namespace gui;
using namespace layout;

void ADEditor::idle() {
  // A modal loop that asked the host for idle time draws by itself.
  if (!frame || inIdleStuff) return;
  model_->catchUp();
  applyPending();
  frame->idle();  // window input first: a click runs its control here
  if (!frame) return;
  if (scalePending_) applyScale();  // outside the click that chose it: the frame's pixels are made anew
  pollDialog();                     // a file selection that ended carries on here
  if (!frame) return;
  pollAudioLoad();
  showRecordingNotice();
  LiveState live;
  model_->readLive(live);
  updateBarHover(live.playingGrain);
  refreshLive(live);
  updateHighlight();
  if (live.editRow != shownEditRow_) refreshEditRow(live.editRow);
  frame->drawDirty();
}

void ADEditor::modalIdle() {
  if (!frame) return;
  LiveState live;
  model_->readLive(live);
  refreshLive(live);
}

void ADEditor::refreshLive(const LiveState& live) {
  refreshMeter();
  updatePlayingMarker(live.playingGrain);
  if (c_.wave) {
    c_.wave->setLive(live);
    c_.wave->setDirty(true);
  }
}

void ADEditor::refreshMeter() {
  if (!c_.meter) return;
  const double now = meterClock_ != nullptr
                         ? meterClock_()
                         : std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  c_.meter->setValue(meterLevel_.update(model_->readPeakLevel(), now));
  c_.meter->setDirty(true);
}

void ADEditor::showRecordingNotice() {
  const uint32_t serial = model_->recordingNoticeSerial();
  if (serial == shownNoticeSerial_ || !c_.status) return;
  shownNoticeSerial_ = serial;
  StorageSummary summary;
  model_->readStorageSummary(summary);
  const RecordingNoticeLine line = recordingNoticeLine(summary);
  if (line.text.empty()) {
    // A load ended it: the line the load left stands, or the audio line where the notice still shows.
    if (!shownNotice_.empty() && shownNotice_ == c_.status->getText()) showStatus(kStatusAudioLine);
    shownNotice_.clear();
    return;
  }
  c_.status->setFontColor(line.problem ? kErrorColour : kInfoColour);
  c_.status->setText(line.text.c_str());
  shownNotice_ = c_.status->getText();
}

void ADEditor::setBarHandle(int32_t bar, bool hovered, bool playing) {
  if (bar < 0 || bar >= kGrainCount || !c_.bars[bar]) return;
  int32_t id = kBmpBarHandle;
  if (playing)
    id = hovered ? kBmpBarHandlePlayingHovered : kBmpBarHandlePlaying;
  else if (hovered)
    id = kBmpBarHandleHovered;
  c_.bars[bar]->setHandle(bitmap(id));
}

void ADEditor::updateBarHover(int32_t playingGrain) {
  if (!c_.bars[0] || !c_.bars[kGrainCount - 1]) return;
  CPoint where;
  if (!frame->getCurrentMouseLocation(where)) return;
  const CRect& first = c_.bars[0]->getViewSize();
  const CRect& last = c_.bars[kGrainCount - 1]->getViewSize();
  // Strict bounds: the area's own edges do not count.
  const bool inside = first.left < where.x && where.x < last.right && first.top < where.y && where.y < last.bottom;
  if (inside) {
    const int32_t bar = (where.x - first.left) / first.width();
    if (bar == hoveredBar_) return;
    if (hoveredBar_ >= 0) setBarHandle(hoveredBar_, false, hoveredBar_ == playingGrain);
    setBarHandle(bar, true, bar == playingGrain);
    hoveredBar_ = bar;
  } else if (hoveredBar_ >= 0) {
    setBarHandle(hoveredBar_, false, hoveredBar_ == playingGrain);
    hoveredBar_ = -1;
  }
}

void ADEditor::updatePlayingMarker(int32_t playingGrain) {
  if (playingGrain < 0 || playingGrain >= kGrainCount) return;
  if (shownPlayingGrain_ == -1) {
    setBarHandle(playingGrain, false, true);
  } else if (playingGrain != shownPlayingGrain_) {
    setBarHandle(playingGrain, false, true);
    // The bar the marker leaves gets the normal handle, also when it is hovered.
    setBarHandle(shownPlayingGrain_, false, false);
  }
  shownPlayingGrain_ = playingGrain;
}

void ADEditor::updateHighlight() {
  struct Highlight {
    CControl* control;
    int32_t bitmapId;
  };
  const Highlight order[] = {{c_.mainMenu, kBmpMainMenuHover}, {c_.bankMenu, kBmpBankMenuHover},
                             {c_.saveBank, kBmpSaveBankHover}, {c_.flood, kBmpFloodHover},
                             {c_.trigger, kBmpTriggerHover},   {c_.move, kBmpMoveHover},
                             {c_.morph, kBmpMorphHover},       {c_.loadAudio, kBmpLoadAudioHover}};
  CPoint where;
  if (!frame->getCurrentMouseLocation(where)) return;
  for (const Highlight& h : order) {
    // Edges included.
    if (!h.control || !where.isInside(h.control->getViewSize())) continue;
    if (h.control == highlightedControl_) return;
    if (highlightedControl_) highlightedControl_->setBackground(savedBitmap_);
    savedBitmap_ = h.control->getBackground();
    h.control->setBackground(bitmap(h.bitmapId));
    highlightedControl_ = h.control;
    return;
  }
  if (highlightedControl_) {
    highlightedControl_->setBackground(savedBitmap_);
    highlightedControl_ = nullptr;
    savedBitmap_ = nullptr;
  }
}

void ADEditor::refreshEditRow(int32_t row) {
  shownEditRow_ = row;
  if (row < 0 || row >= kRowCount) return;
  RowSnapshot snapshot;
  model_->readRow(row, snapshot);
  for (int32_t i = 0; i < kGrainCount; ++i) setControl(c_.bars[i], snapshot.delayValue[i]);
  // The grain length fader shows the row's step: a multiple of 1/8.
  setControl(c_.grainLength, static_cast<float>(truncSaturate(snapshot.unitDura * 8.0f)) / 8.0f);
  setControl(c_.release, snapshot.release);
  setControl(c_.envelope, snapshot.envelope);
  showEditKey(row);
}

}  // namespace tarnwick
