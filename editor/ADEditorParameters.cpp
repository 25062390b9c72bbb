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

namespace {

// The indices the window shows: every one the parameter table gives a control.
bool isEchoIndex(int32_t index) {
  const ParameterInfo* info = parameterInfo(index);
  return info && info->control != EditorControl::kNone;
}

}  // namespace

void ADEditor::setParameter(int32_t index, float value) {
  // [any-thread] Only atomics: the caller may be the audio thread, which must never wait.
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

CControl* ADEditor::controlShowing(EditorControl control, int32_t index) const {
  switch (control) {
    case EditorControl::kLevelKnob: return c_.level;
    case EditorControl::kGrainLengthSlider: return c_.grainLength;
    case EditorControl::kReleaseSlider: return c_.release;
    case EditorControl::kEnvelopeSlider: return c_.envelope;
    case EditorControl::kTriggerButton: return c_.trigger;
    case EditorControl::kMoveButton: return c_.move;
    case EditorControl::kMorphButton: return c_.morph;
    case EditorControl::kBufferStartSlider: return c_.bufferStart;
    case EditorControl::kDelayBar: return c_.bars[index - kDelay01];
    case EditorControl::kCopyButton: return c_.copy[index - kCopyFirst];
    case EditorControl::kPasteButton: return c_.paste[index - kPasteFirst];
    case EditorControl::kLoadAudioButton: return c_.loadAudio;
    case EditorControl::kBankMenu: return c_.bankMenu;
    case EditorControl::kSaveBankButton: return c_.saveBank;
    case EditorControl::kFloodButton: return c_.flood;
    case EditorControl::kMainMenu: return c_.mainMenu;
    case EditorControl::kDelayRangeMenu: return c_.delayRange;
    case EditorControl::kKeyMappingMenu: return c_.keyMapping;
    case EditorControl::kResetMenu: return c_.reset;
    case EditorControl::kMorphAlgorithmMenu: return c_.morphAlgorithm;
    case EditorControl::kNone:
    case EditorControl::kWaveRebind:
    case EditorControl::kRedrawAll: return nullptr;
  }
  return nullptr;
}

void ADEditor::applyValue(int32_t index, float value) {
  const ParameterInfo* info = parameterInfo(index);
  if (!frame || !info) return;
  // Echoes of the dialog controls only show the value: dialogs open from the editor's own clicks. The
  // main menu shows no value; it is only drawn again.
  if (info->control != EditorControl::kMainMenu) setControl(controlShowing(info->control, index), value);
  switch (info->control) {
    case EditorControl::kCopyButton: refreshSlots(); break;  // a release has copied the edit row into the slot
    case EditorControl::kWaveRebind: rebindWaveDisplay(); break;
    case EditorControl::kRedrawAll: redrawAll(); break;
    case EditorControl::kFloodButton: rebindWaveDisplay(); break;
    case EditorControl::kMainMenu:
      if (c_.mainMenu) c_.mainMenu->setDirty(true);
      break;
    case EditorControl::kDelayRangeMenu:
      for (CVerticalSlider* bar : c_.bars) {
        if (bar) bar->setDirty(true);
      }
      break;
    case EditorControl::kResetMenu: {
      const int32_t action = truncToInt(value);
      if (action == 1 || action == 3) refreshSlots();
      if (c_.mainMenu) c_.mainMenu->setDirty(true);
      break;
    }
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
