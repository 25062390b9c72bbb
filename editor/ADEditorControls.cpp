// What the controls report: values written through to the instrument, the editor's own commands, and the
// status line and key label texts.
#include <cstring>
#include <iterator>

#include "editor/ADEditor.h"
#include "editor/CBoxSlider.h"
#include "editor/CLabel.h"
#include "editor/EditorActions.h"
#include "editor/KeyNames.h"
#include "editor/Layout.h"
#include "editor/ScalePreference.h"
#include "editor/StatusText.h"
#include "gui/Toolkit.h"
#include "storage/StorageResult.h"

namespace tarnwick {

using namespace gui;
using namespace layout;

namespace {

// What each entry of the Reset menu brought back, for the status line.
constexpr const char* kResetDone[] = {"delay values of all keys reset", "copybuffer reset",
                                      "options reset: delay range, keyboard mapping, morph algorithm",
                                      "all reset except the audiobuffer"};

}  // namespace

void ADEditor::beginEdit(int32_t index) {
  if (index != kOverlayTag) {
    AEffGUIEditor::beginEdit(index);
    return;
  }
  strokeBars_ = 0;
  strokeActive_ = true;
}

void ADEditor::endEdit(int32_t index) {
  if (index != kOverlayTag) {
    AEffGUIEditor::endEdit(index);
    return;
  }
  for (int32_t bar = 0; bar < kGrainCount; ++bar) {
    if (strokeBars_ & (uint32_t{1} << bar)) AEffGUIEditor::endEdit(kDelay01 + bar);
  }
  strokeBars_ = 0;
  strokeActive_ = false;
}

void ADEditor::valueChanged(CDrawContext* context, CControl* control) {
  if (!control || !effect) return;
  const int32_t tag = control->getTag();
  const float value = control->getValue();
  if (tag == kScaleMenuTag) {
    chooseScale(scaleOfMenuEntry(static_cast<int32_t>(value)));
    return;
  }
  if (tag == kOverlayTag) {
    // The overlay hands its value to the bar under the mouse, which then reports as if dragged itself.
    const int32_t bar = c_.overlay ? c_.overlay->getBarIndex() : -1;
    if (bar >= 0 && bar < kGrainCount && c_.bars[bar]) {
      const uint32_t bit = uint32_t{1} << bar;
      // A write outside a stroke (a default-value click) is a gesture of its own.
      const bool single = !strokeActive_;
      if (single || !(strokeBars_ & bit)) AEffGUIEditor::beginEdit(kDelay01 + bar);
      if (!single) strokeBars_ |= bit;
      c_.bars[bar]->setValue(value);
      valueChanged(context, c_.bars[bar]);
      if (single) AEffGUIEditor::endEdit(kDelay01 + bar);
    }
    return;
  }
  const ParameterInfo* info = parameterInfo(tag);
  if (!info) return;  // the about screen reports its own clicks
  switch (info->writer) {
    case Writer::kHostAndEditor:
    case Writer::kEditorAutomated:
      effect->setParameterAutomated(tag, value);
      control->setDirty(true);
      reportAutomated(tag, value);
      return;
    case Writer::kEditor: break;
    case Writer::kEngine:
    case Writer::kNobody: return;
  }
  switch (info->control) {
    case EditorControl::kLoadAudioButton:
    case EditorControl::kBankMenu:
    case EditorControl::kSaveBankButton:
      control->setDirty(true);
      editorCommand(tag, value);
      return;
    case EditorControl::kMainMenu:
      if (value != 0.0f && c_.about && c_.about->getValue() == 0.0f) {
        // "About": the about screen opens as if clicked, and closes on the next click.
        CPoint origin(0, 0);
        c_.about->mouse(context, origin, kLButton);
      }
      break;
    default: break;
  }
  effect->setParameter(tag, value);
  control->setDirty(true);
  // Copy and paste act on the button's release; the slot displays follow both press and release.
  if (info->control == EditorControl::kCopyButton) refreshSlots();
  if (info->control == EditorControl::kResetMenu && value >= 0.0f && value < static_cast<float>(std::size(kResetDone)))
    showStatusText(kResetDone[static_cast<size_t>(value)], "", "");
  if ((info->control == EditorControl::kCopyButton || info->control == EditorControl::kPasteButton) && value == 0.0f) {
    showEditKey(currentEditRow());
    showStatusText(
        info->control == EditorControl::kCopyButton ? "values copied from note " : "values inserted to note ",
        noteNameText_, "");
  }
}

int32_t ADEditor::currentEditRow() {
  LiveState live;
  model_->readLive(live);
  return live.editRow;
}

void ADEditor::reportAutomated(int32_t tag, float value) {
  auto texts = [&] {
    model_->parameterDisplay(tag, parameterText_);
    model_->parameterLabel(tag, unitText_);
  };
  auto onOff = [&](const char* on, const char* off) { showStatusText(value != 0.0f ? on : off, "", ""); };
  if (isDelayIndex(tag)) {
    showEditKey(currentEditRow());
    const bool loopBar = tag == kDelay32;
    // The bars 1..31 report the delay the instrument now holds; the loop bar the value it was given.
    const float delay = loopBar ? value : effect->getParameter(tag);
    if (delay == 0.0f) {
      showStatusText(loopBar ? "Loop off" : "Delay skipped", "", "");
    } else {
      texts();
      showStatusText(loopBar ? "Loop delay : " : "Delay : ", parameterText_, unitText_);
    }
    return;
  }
  switch (tag) {
    case kMainLevl:
      texts();
      showStatusText("Amplitude : ", parameterText_, "");
      break;
    case kUnitDura:
      texts();
      showStatusText("Grain Length : ", parameterText_, unitText_);
      break;
    case kRelease:
      texts();
      showStatusText("Release : ", parameterText_, unitText_);
      break;
    case kEnvelope:
      texts();
      showStatusText("Fadein / Fadeout : ", parameterText_, "");
      break;
    case kTrigmode: onOff("Triggermode on", "Triggermode off"); break;
    case kMove: onOff("Move on", "Move off"); break;
    case kMorph: onOff("Morph on", "Morph off"); break;
    case kBufstart:
      texts();
      showStatusText("Buffer Start Position : ", parameterText_, "");
      break;
    case kFlood: onOff("selection flooded", "unflooded"); break;
    default: break;
  }
}

void ADEditor::editorCommand(int32_t command, float value) {
  if (!effect) return;
  switch (command) {
    case kShowAudioInfo: showStatus(kStatusAudioLine); break;
    case kEditModeClick:
      // A write of the edit-mode index toggles the mode.
      effect->setParameter(kEditMode, value);
      showStatus(effect->getParameter(kEditMode) != 0.0f ? kStatusMasterEditMode : kStatusSingleKeyEditMode);
      break;
    case kLoadAudioButton:
      if (value != 0.0f) startDialog(Dialog::kLoadAudio);
      break;
    case kSaveBankButton:
      if (value != 0.0f) startDialog(Dialog::kSaveBank);
      break;
    case kBankMenuValue: loadBankFromMenu(value); break;
    default: break;  // a slot display click has no effect
  }
}

void ADEditor::auditionKey(int32_t key, bool on) {
  if (!actions_ || key < 0 || key >= kKeyCount) return;
  const MidiMessage note{0, static_cast<uint8_t>(on ? 0x90 : 0x80), static_cast<uint8_t>(key),
                         static_cast<uint8_t>(on ? 100 : 0)};
  // The host hears the release too; the instrument plays both from its own queue.
  if (!on) actions_->sendToHost(note);
  actions_->playNote(note);
}

void ADEditor::stopAllGrains() {
  if (actions_) actions_->playNote(MidiMessage{0, 0xB0, 126, 100});
}

void ADEditor::showStatus(int32_t code) {
  if (!c_.status) return;
  // The colour is set for every code, even one without a text.
  c_.status->setFontColor(code < 100 ? kErrorColour : kInfoColour);
  const char* text = nullptr;
  if (code == kStatusNothingToDo) {
    text = "nothing to do....";
  } else if (code >= 1 && code <= 40) {
    text = storageResultMessage(code);
    if (*text == '\0') text = nullptr;
  } else if (code == kStatusBankLine || code == kStatusAudioLine) {
    StorageSummary summary;
    model_->readStorageSummary(summary);
    const std::string line = code == kStatusBankLine ? bankLine(summary) : audioLine(summary);
    c_.status->setText(line.c_str());
    return;
  } else if (code == kStatusMasterEditMode) {
    text = "Master Edit Mode";
  } else if (code == kStatusSingleKeyEditMode) {
    text = "Single Key Edit Mode";
  }
  c_.status->setText(text);
}

const char* ADEditor::statusText() const { return c_.status ? c_.status->getText() : ""; }

void ADEditor::showCancelled() {
  if (!c_.status) return;
  // A cancel is no error: the information colour.
  c_.status->setFontColor(kInfoColour);
  c_.status->setText("nothing to do....");
}

void ADEditor::showStatusText(const char* a, const char* b, const char* c) {
  if (!c_.status) return;
  char line[CLabel::kTextCapacity];
  line[0] = '\0';
  for (const char* part : {a, b, c}) {
    if (part) std::strncat(line, part, sizeof line - std::strlen(line) - 1);
  }
  c_.status->setFontColor(kInfoColour);
  c_.status->setText(line);
}

void ADEditor::showEditKey(int32_t k) {
  keyName(k, noteNameText_);
  keyNumberText(k, numberText_);
  if (!c_.keyLabel) return;
  c_.keyLabel->setFontColor(k == kMasterRow ? kMasterKeyColour : kBlackCColor);
  c_.keyLabel->setText(c_.keyLabel->getShowNumber() ? numberText_ : noteNameText_);
  c_.keyLabel->setKeyTexts(noteNameText_, numberText_);
}

}  // namespace tarnwick
