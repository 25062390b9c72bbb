// The window's scale: the user's choice, the host's content scale or the desktop's; applied in idle.
#include "editor/ADEditor.h"
#include "editor/Layout.h"
#include "editor/ScalePreference.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "platform/DesktopScale.h"

namespace tarnwick {

int32_t ADEditor::scaleHalves() const {
  if (userScale_ != 0) return userScale_;
  if (hostScale_ != 0) return hostScale_;
  // The desktop's scale counts for a host's window; before one is open, for the size a host asks about.
  if ((frame == nullptr || onDesktopWindow_) && desktopScale_ > 0) return desktopScale_;
  return platform::kSmallestScaleHalves;
}

void ADEditor::setHostScale(double factor) {
  hostScale_ = factor > 0.0 ? platform::nearestScaleHalves(factor) : 0;
  if (frame) {
    scalePending_ = true;
  } else {
    updateRect(scaleHalves());
  }
}

void ADEditor::chooseScale(int32_t halves) {
  userScale_ = halves >= platform::kSmallestScaleHalves && halves <= platform::kLargestScaleHalves ? halves : 0;
  writeScalePreference(userScale_);
  if (c_.scale) c_.scale->setValue(static_cast<float>(menuEntryOfScale(userScale_)));
  if (frame) {
    scalePending_ = true;
  } else {
    updateRect(scaleHalves());
  }
}

bool ADEditor::getRect(gui::EditorRect** rectOut) {
  if (frame == nullptr) {
    if (desktopScale_ < 0) desktopScale_ = platform::desktopScaleHalves(nullptr);
    updateRect(scaleHalves());
  }
  return AEffGUIEditor::getRect(rectOut);
}

void ADEditor::updateRect(int32_t halves) {
  rect.top = 0;
  rect.left = 0;
  rect.bottom = static_cast<int16_t>((layout::kWindowHeight * halves + 1) / 2);
  rect.right = static_cast<int16_t>((layout::kWindowWidth * halves + 1) / 2);
}

void ADEditor::applyScale() {
  scalePending_ = false;
  if (frame == nullptr) return;
  const int32_t halves = scaleHalves();
  if (halves == frame->getScaleHalves()) return;
  frame->setScale(halves);
  updateRect(frame->getScaleHalves());
  // The host makes room for the new size (VST: audioMasterSizeWindow); without an answer the window still
  // has it, and the host sees it at its next look at the editor's rectangle.
  if (effect) effect->sizeWindow(rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace tarnwick
