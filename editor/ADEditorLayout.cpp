// The window's layout: every control at its rectangle with its tag, bitmaps, settings and first value.
#include <iterator>

#include "editor/ADEditor.h"
#include "editor/CBoxSlider.h"
#include "editor/CLabel.h"
#include "editor/Layout.h"
#include "editor/WaveDisplay.h"
#include "gui/Toolkit.h"

namespace tarnwick {

using namespace gui;
using namespace layout;

namespace {

constexpr const char* kTitle = "Tarnwick VSTi V1.0";
constexpr float kGrainLengthDefault = 0.43089432f;

// Bitmaps the editor keeps while open besides those of the controls: kept for exchanging or not drawn.
constexpr int32_t kKeptBitmaps[] = {
    kBmpBarHandlePlaying, kBmpBarHandleHovered, kBmpBarHandlePlayingHovered, kBmpBarFrame,   kBmpBufferStartHandleLight,
    kBmpMainMenuHover,    kBmpBankMenuHover,    kBmpSaveBankHover,           kBmpFloodHover, kBmpTriggerHover,
    kBmpMoveHover,        kBmpMorphHover,       kBmpLoadAudioHover,          kBmpSpareKey};
// Bitmaps needed only until the controls that use them exist.
constexpr int32_t kBuildOnlyBitmaps[] = {kBmpFaderSize, kBmpAbout,      kBmpMeterOn,       kBmpMeterOff,
                                         kBmpKnob,      kBmpKnobHandle, kBmpOverlayHandle, kBmpFaderHandle};

void styleLabel(CLabel* label, const CColor& text) {
  label->setFont(kNormalFontBig);
  label->setFontColor(text);
  label->setFrameColor(kBlackCColor);
  label->setBackColor(kBlackCColor);
  label->setShadowColor(MakeCColor(127, 127, 127));
  label->setTxtFace(kBoldFace);
  label->setTransparency(true);
}

}  // namespace

CBitmap* ADEditor::bitmap(int32_t id) {
  const int32_t slot = id - kBitmapBase;
  if (slot < 0 || slot >= kBitmapSlots) return nullptr;
  if (!bitmaps_[slot]) bitmaps_[slot] = new CBitmap(id);
  return bitmaps_[slot];
}

void ADEditor::releaseBitmap(int32_t id) {
  const int32_t slot = id - kBitmapBase;
  if (slot < 0 || slot >= kBitmapSlots || !bitmaps_[slot]) return;
  bitmaps_[slot]->forget();
  bitmaps_[slot] = nullptr;
}

void ADEditor::releaseAllBitmaps() {
  for (int32_t slot = 0; slot < kBitmapSlots; ++slot) releaseBitmap(kBitmapBase + slot);
}

void ADEditor::buildControls() {
  auto initial = [this](int32_t tag) { return effect ? effect->getParameter(tag) : 0.0f; };
  LiveState live;
  model_->readLive(live);
  for (int32_t id : kKeptBitmaps) bitmap(id);

  c_.wave = new WaveDisplay(kWaveDisplayRect, this, backgroundBitmap_, kWaveDisplayIndex);
  model_->readWave(*waveScratch_);
  c_.wave->setSummary(*waveScratch_);
  c_.wave->setLive(live);
  c_.wave->setCommandTarget(this);
  frame->addView(c_.wave);

  c_.bufferStart =
      new CHorizontalSlider(kBufferStartRect, this, kBufstart, kBufferStartMin, kBufferStartMax,
                            bitmap(kBmpBufferStartHandle), backgroundBitmap_, kBufferStartRect.topLeft(), kLeft);
  c_.bufferStart->setValue(initial(kBufstart));
  c_.bufferStart->setDefaultValue(0.0f);
  frame->addView(c_.bufferStart);

  c_.about = new CSplashScreen(CRect(0, 0, 0, 0), this, -1, bitmap(kBmpAbout), kAboutDisplay);
  c_.about->setTransparency(true);
  frame->addView(c_.about);

  c_.status = new CLabel(kStatusRect, nullptr, kTitle);
  styleLabel(c_.status, kInfoColour);
  frame->addView(c_.status);

  c_.keyLabel = new CLabel(kKeyLabelRect, nullptr, "");
  styleLabel(c_.keyLabel, kBlackCColor);
  c_.keyLabel->setLabelMouse(true);
  c_.keyLabel->setCommandTarget(this);
  frame->addView(c_.keyLabel);
  showEditKey(live.editRow);

  c_.meter = new CVuMeter(kMeterRect, bitmap(kBmpMeterOn), bitmap(kBmpMeterOff), kMeterLeds, kVertical);
  c_.meter->setDecreaseStepValue(kMeterDecrease);
  c_.meter->setValue(0.0f);
  frame->addView(c_.meter);

  for (int32_t i = 0; i < kGrainCount; ++i) {
    auto* bar = new CVerticalSlider(barRect(i), this, kDelay01 + i, kBarHandleMin, kBarHandleMax, bitmap(kBmpBarHandle),
                                    bitmap(kBmpBarBackground), CPoint(0, 0), kTop);
    bar->setDrawTransparentHandle(true);
    bar->setTransparency(true);
    bar->setValue(initial(kDelay01 + i));
    bar->setDefaultValue(1.0f);
    frame->addView(bar);
    c_.bars[i] = bar;
  }

  c_.overlay = new CBoxSlider(kBarOverlay, this, kOverlayTag, kBarHandleMin, kBarHandleMax, bitmap(kBmpOverlayHandle),
                              bitmap(kBmpBarBackground), CPoint(0, 0), kTop);
  c_.overlay->setTransparency(true);
  c_.overlay->setValue(0.0f);
  frame->addView(c_.overlay);

  float slots[kCopySlots][kGrainCount];
  model_->readCopyBuffer(slots);
  for (int32_t j = 0; j < kCopySlots; ++j) {
    c_.copy[j] = new CKickButton(copyButtonRect(j), this, kCopyFirst + j, kButtonImageHeight, bitmap(kBmpCopy));
    c_.copy[j]->setTransparency(true);
    c_.copy[j]->setValue(initial(kCopyFirst + j));
    frame->addView(c_.copy[j]);
    c_.paste[j] = new CKickButton(pasteButtonRect(j), this, kPasteFirst + j, kButtonImageHeight, bitmap(kBmpPaste));
    c_.paste[j]->setTransparency(true);
    c_.paste[j]->setValue(initial(kPasteFirst + j));
    frame->addView(c_.paste[j]);
    c_.slots[j] = new WaveDisplay(slotDisplayRect(j), this, backgroundBitmap_, j);
    c_.slots[j]->setSlot(slots[j]);
    c_.slots[j]->setCommandTarget(this);
    frame->addView(c_.slots[j]);
  }

  // The three faders take their size from bitmap 129 and draw the window background under the handle.
  const CBitmap* faderSize = bitmap(kBmpFaderSize);
  auto fader = [&](CCoord left, int32_t tag, int32_t style, float defaultValue) {
    const CRect r(left, kFaderTop, left + faderSize->getWidth(), kFaderTop + faderSize->getHeight());
    auto* slider = new CVerticalSlider(r, this, tag, kFaderHandleMin, kFaderHandleMax, bitmap(kBmpFaderHandle),
                                       backgroundBitmap_, r.topLeft(), style);
    slider->setValue(initial(tag));
    slider->setDefaultValue(defaultValue);
    frame->addView(slider);
    return slider;
  };
  c_.release = fader(kReleaseLeft, kRelease, kTop, 0.5f);
  c_.grainLength = fader(kGrainLeft, kUnitDura, kBottom, kGrainLengthDefault);
  c_.envelope = fader(kEnvelopeLeft, kEnvelope, kBottom, 0.5f);

  setKnobMode(kLinearMode);
  const CBitmap* knobSize = bitmap(kBmpKnob);
  const CRect knobRect(kLevelKnobRect.left, kLevelKnobRect.top, kLevelKnobRect.left + knobSize->getWidth(),
                       kLevelKnobRect.top + knobSize->getHeight());
  c_.level = new CKnob(knobRect, this, kMainLevl, backgroundBitmap_, bitmap(kBmpKnobHandle), knobRect.topLeft());
  c_.level->setInsetValue(kKnobInset);
  c_.level->setValue(initial(kMainLevl));
  c_.level->setDefaultValue(0.5f);
  frame->addView(c_.level);

  buildTopRow();

  for (int32_t id : kBuildOnlyBitmaps) releaseBitmap(id);
}

void ADEditor::buildTopRow() {
  auto initial = [this](int32_t tag) { return effect ? effect->getParameter(tag) : 0.0f; };
  auto onOff = [&](const CRect& r, int32_t tag, int32_t id) {
    auto* button = new COnOffButton(r, this, tag, bitmap(id));
    button->setTransparency(true);
    button->setValue(initial(tag));
    return button;
  };

  c_.loadAudio = new CKickButton(kLoadAudioRect, this, kLoadAudioButton, 12, bitmap(kBmpLoadAudio));
  c_.loadAudio->setTransparency(true);
  frame->addView(c_.loadAudio);

  c_.move = onOff(kMoveRect, kMove, kBmpMove);
  frame->addView(c_.move);
  c_.morph = onOff(kMorphRect, kMorph, kBmpMorph);
  frame->addView(c_.morph);

  c_.bankMenu = new COptionMenu(kBankMenuRect, this, kBankMenuValue, bitmap(kBmpBankMenu), nullptr, kNoTextStyle);
  c_.bankMenu->setTransparency(true);
  fillBankMenu(c_.bankMenu);
  c_.bankMenu->setValue(initial(kBankMenuValue));
  frame->addView(c_.bankMenu);

  c_.saveBank = new CKickButton(kSaveBankRect, this, kSaveBankButton, 12, bitmap(kBmpSaveBank));
  c_.saveBank->setTransparency(true);
  frame->addView(c_.saveBank);

  c_.flood = onOff(kFloodRect, kFlood, kBmpFlood);
  frame->addView(c_.flood);
  c_.trigger = onOff(kTriggerRect, kTrigmode, kBmpTrigger);
  frame->addView(c_.trigger);

  buildSubmenus();
  buildMainMenu();
}

}  // namespace tarnwick
