// The instrument's echo: stored on any thread, applied to the controls at idle on the user-interface thread.
#include <bit>
#include <iterator>

#include "editor/ADEditor.h"
#include "editor/CBoxSlider.h"
#include "editor/WaveDisplay.h"
#include "engine/Numeric.h"
#include "gui/Toolkit.h"

namespace tarnwick {

using namespace gui;

bool ADEditor::isEchoIndex(int32_t index) {
  // 254 (slot click), 256 and 257 never come from the instrument; indices without a control are ignored.
  return (index >= kMainLevl && index <= kDelay32) || isCopySlot(index) || isPasteSlot(index) ||
         index == kEditorRefresh || index == kEditorRedraw || (index >= kLoadAudioButton && index <= kMorphAlgorithm);
}

void ADEditor::setParameter(int32_t index, float value) {
  // [any-thread] Only atomics: the caller may be the audio thread holding the engine lock.
  if (!isEchoIndex(index) || !accepting_.load(std::memory_order_acquire)) return;
  pendingValue_[index].store(value, std::memory_order_relaxed);
  pendingBits_[index / 32].fetch_or(1u << (index % 32), std::memory_order_release);
}

void ADEditor::clearPending() {
  for (auto& bits : pendingBits_) bits.store(0u, std::memory_order_relaxed);
}

void ADEditor::applyPending() {
  for (int32_t word = 0; word < static_cast<int32_t>(std::size(pendingBits_)); ++word) {
    uint32_t bits = pendingBits_[word].exchange(0u, std::memory_order_acquire);
    while (bits != 0) {
      const int32_t bit = std::countr_zero(bits);
      bits &= bits - 1;
      const int32_t index = word * 32 + bit;
      applyValue(index, pendingValue_[index].load(std::memory_order_relaxed));
    }
  }
}

void ADEditor::setControl(CControl* control, float value) {
  if (!control) return;
  control->setValue(value);
  control->setDirty(true);
}

void ADEditor::applyValue(int32_t index, float value) {
  if (!frame) return;
  if (isDelayIndex(index)) {
    setControl(c_.bars[index - kDelay01], value);
    return;
  }
  if (isCopySlot(index)) {
    setControl(c_.copy[index - kCopyFirst], value);
    refreshSlots();  // a release has copied the edit row into the slot
    return;
  }
  if (isPasteSlot(index)) {
    setControl(c_.paste[index - kPasteFirst], value);
    return;
  }
  switch (index) {
    case kMainLevl: setControl(c_.level, value); break;
    case kUnitDura: setControl(c_.grainLength, value); break;
    case kRelease: setControl(c_.release, value); break;
    case kEnvelope: setControl(c_.envelope, value); break;
    case kTrigmode: setControl(c_.trigger, value); break;
    case kMove: setControl(c_.move, value); break;
    case kMorph: setControl(c_.morph, value); break;
    case kBufstart: setControl(c_.bufferStart, value); break;
    case kEditorRefresh: rebindWaveDisplay(); break;
    case kEditorRedraw: redrawAll(); break;
    // Echoes of the dialog controls only show the value: dialogs open from the editor's own clicks.
    case kLoadAudioButton: setControl(c_.loadAudio, value); break;
    case kBankMenuValue: setControl(c_.bankMenu, value); break;
    case kSaveBankButton: setControl(c_.saveBank, value); break;
    case kFlood:
      setControl(c_.flood, value);
      rebindWaveDisplay();
      break;
    case 264:
      if (c_.mainMenu) c_.mainMenu->setDirty(true);
      break;
    case kDelayRange:
      setControl(c_.delayRange, value);
      for (CVerticalSlider* bar : c_.bars) {
        if (bar) bar->setDirty(true);
      }
      break;
    case kKeyMapping: setControl(c_.keyMapping, value); break;
    case kResetAction: {
      setControl(c_.reset, value);
      const int32_t action = truncToInt(value);
      if (action == 1 || action == 3) refreshSlots();
      if (c_.mainMenu) c_.mainMenu->setDirty(true);
      break;
    }
    case kMorphAlgorithm: setControl(c_.morphAlgorithm, value); break;
    default: break;
  }
}

void ADEditor::rebindWaveDisplay() {
  if (!c_.wave) return;
  model_->readWave(*waveScratch_);
  c_.wave->setSummary(*waveScratch_);
}

void ADEditor::refreshSlots() {
  float slots[kCopySlots][kGrainCount];
  model_->readCopyBuffer(slots);
  for (int32_t j = 0; j < kCopySlots; ++j) {
    if (c_.slots[j]) c_.slots[j]->setSlot(slots[j]);
  }
}

void ADEditor::redrawAll() {
  refreshSlots();
  // The recording may have been replaced: the display works from a fresh summary.
  rebindWaveDisplay();
  if (frame) frame->invalidate(frame->getViewSize());
}

}  // namespace tarnwick
