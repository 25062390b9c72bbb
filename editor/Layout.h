// The editor window's geometry and the bitmap resource identifiers of its controls.
#pragma once

#include <cstdint>

#include "gui/CGeometry.h"

namespace tarnwick::layout {

using gui::CRect;

inline constexpr int32_t kWindowWidth = 554;
inline constexpr int32_t kWindowHeight = 356;

// Bitmap resources.
enum BitmapId : int32_t {
  kBmpBackground = 128,
  kBmpFaderSize = 129,
  kBmpBarHandle = 130,
  kBmpFlood = 135,
  kBmpBarFrame = 136,
  kBmpAbout = 137,
  kBmpTrigger = 139,
  kBmpCopy = 140,
  kBmpPaste = 141,
  kBmpTriggerHover = 142,
  kBmpMeterOn = 146,
  kBmpMeterOff = 147,
  kBmpMainMenuHover = 148,
  kBmpBankMenuHover = 149,
  kBmpBufferStartHandle = 151,
  kBmpSaveBankHover = 152,
  kBmpBarHandlePlaying = 153,
  kBmpBarHandleHovered = 154,
  kBmpBarHandlePlayingHovered = 155,
  kBmpBufferStartHandleLight = 156,
  kBmpKnob = 157,
  kBmpKnobHandle = 158,
  kBmpMoveHover = 159,
  kBmpMove = 160,
  kBmpMorph = 161,
  kBmpLoadAudio = 163,
  kBmpMorphHover = 166,
  kBmpLoadAudioHover = 168,
  kBmpMainMenu = 170,
  kBmpFloodHover = 171,
  kBmpBankMenu = 172,
  kBmpSaveBank = 173,
  kBmpSpareKey = 174,
  kBmpBarBackground = 178,
  kBmpOverlayHandle = 179,
  kBmpFaderHandle = 180,
};

inline constexpr CRect kWaveDisplayRect{13, 62, 543, 118};
inline constexpr CRect kBufferStartRect{6, 118, 548, 132};
inline constexpr int32_t kBufferStartMin = 6, kBufferStartMax = 539;
inline constexpr CRect kAboutDisplay{0, 0, 554, 354};
inline constexpr CRect kStatusRect{15, 13, 470, 29};
inline constexpr CRect kKeyLabelRect{484, 13, 542, 29};
inline constexpr CRect kMeterRect{526, 287, 542, 343};
inline constexpr int32_t kMeterLeds = 24;
inline constexpr float kMeterDecrease = 0.03f;

// The delay bars and the overlay above them share one column geometry.
inline constexpr int32_t kBarLeft = 15, kBarTop = 135, kBarBottom = 284, kBarWidth = 14;
inline constexpr int32_t kBarHandleMin = 135, kBarHandleMax = 277;
constexpr CRect barRect(int32_t bar) {
  return {kBarLeft + kBarWidth * bar, kBarTop, kBarLeft + kBarWidth * (bar + 1), kBarBottom};
}
inline constexpr CRect kBarOverlay{15, 135, 463, 284};

// Copy-buffer slot j (0..9).
constexpr int32_t slotX(int32_t j) { return 21 + 45 * j; }
constexpr CRect copyButtonRect(int32_t j) { return {slotX(j) + 2, 294, slotX(j) + 15, 311}; }
constexpr CRect pasteButtonRect(int32_t j) { return {slotX(j) + 18, 290, slotX(j) + 31, 307}; }
constexpr CRect slotDisplayRect(int32_t j) { return {slotX(j), 317, slotX(j) + 32, 339}; }
inline constexpr int32_t kButtonImageHeight = 17;

// The three vertical sliders: release, grain length, fade (envelope).
inline constexpr int32_t kReleaseLeft = 480, kGrainLeft = 504, kEnvelopeLeft = 528;
inline constexpr int32_t kFaderTop = 133, kFaderHandleMin = 133, kFaderHandleMax = 256;

inline constexpr CRect kLevelKnobRect{471, 292, 517, 337};
inline constexpr int32_t kKnobInset = 7;

inline constexpr CRect kLoadAudioRect{14, 39, 79, 51};
inline constexpr CRect kMoveRect{310, 42, 353, 51};
inline constexpr CRect kMorphRect{359, 38, 409, 55};
inline constexpr CRect kBankMenuRect{144, 39, 218, 51};
inline constexpr CRect kSaveBankRect{224, 39, 298, 51};
inline constexpr CRect kFloodRect{90, 39, 130, 51};
inline constexpr CRect kTriggerRect{419, 39, 472, 56};
inline constexpr CRect kMainMenuRect{484, 39, 543, 55};

// Display index of the wave display (the slot displays are 0..9).
inline constexpr int32_t kWaveDisplayIndex = 41;

}  // namespace tarnwick::layout
