// The one palette every bitmap draws from, and the layout positions the pictures must line up with.
#pragma once

#include "editor/Layout.h"
#include "resources/gen/Canvas.h"

namespace tarnwick::art {

namespace palette {
inline constexpr Colour panelTop = rgb(52, 54, 59);
inline constexpr Colour panelBottom = rgb(40, 42, 46);
inline constexpr Colour panelEdgeLight = rgb(74, 77, 84);
inline constexpr Colour panelEdgeDark = rgb(20, 21, 23);
inline constexpr Colour plate = rgb(36, 38, 42);
inline constexpr Colour field = rgb(15, 16, 18);
inline constexpr Colour fieldShadow = rgb(6, 6, 7);
inline constexpr Colour fieldLip = rgb(70, 73, 80);
inline constexpr Colour grid = rgb(40, 43, 48);
inline constexpr Colour gridStrong = rgb(58, 62, 68);
inline constexpr Colour text = rgb(200, 200, 200);
inline constexpr Colour textDim = rgb(132, 136, 142);
inline constexpr Colour textFaint = rgb(76, 79, 85);
// Captions that tell what a control does: large and light enough to read on the panel.
inline constexpr Colour hint = rgb(172, 176, 182);
inline constexpr double hintPx = 10.0;
inline constexpr Colour accent = rgb(222, 168, 52);
inline constexpr Colour accentDark = rgb(150, 106, 24);
inline constexpr Colour accentDim = rgb(92, 70, 30);
inline constexpr Colour playing = rgb(112, 214, 120);
inline constexpr Colour playingDark = rgb(52, 150, 66);
inline constexpr Colour keyLabelField = rgb(208, 204, 190);
inline constexpr Colour keyLabelShade = rgb(170, 166, 152);
inline constexpr Colour white = rgb(255, 255, 255);
inline constexpr Colour black = rgb(0, 0, 0);
}  // namespace palette

// Window geometry the background has to match: taken from the editor's own layout, so the pictures and
// the controls cannot drift apart (left, top, right, bottom; right and bottom exclusive).
namespace layout {
namespace ed = ::tarnwick::layout;
inline constexpr int windowWidth = ed::kWindowWidth, windowHeight = ed::kWindowHeight;
struct Rect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};
constexpr Rect fromEditor(const ::tarnwick::gui::CRect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline constexpr Rect statusLabel = fromEditor(ed::kStatusRect);
inline constexpr Rect keyLabel = fromEditor(ed::kKeyLabelRect);
inline constexpr Rect waveDisplay = fromEditor(ed::kWaveDisplayRect);
inline constexpr Rect bufferStart = fromEditor(ed::kBufferStartRect);
inline constexpr int bufferStartMin = 6, bufferStartMax = 539;
inline constexpr Rect barArea = fromEditor(ed::kBarOverlay);
inline constexpr int barWidth = ed::kBarWidth, barCount = 32, barHandleMin = ed::kBarHandleMin,
                     barHandleMax = ed::kBarHandleMax;
inline constexpr int sliderLeft[3] = {ed::kReleaseLeft, ed::kGrainLeft, ed::kEnvelopeLeft};  // release, grain, fade
inline constexpr int sliderTop = ed::kFaderTop, sliderBottom = ed::kFaderTop + 130,
                     sliderHandleMin = ed::kFaderHandleMin, sliderHandleMax = ed::kFaderHandleMax;
inline constexpr Rect levelKnob = fromEditor(ed::kLevelKnobRect);
inline constexpr Rect meter = fromEditor(ed::kMeterRect);
inline constexpr int slotCount = 10;
inline constexpr int slotX(int j) { return ed::slotX(j); }
inline constexpr Rect copyButton(int j) { return fromEditor(ed::copyButtonRect(j)); }
inline constexpr Rect pasteButton(int j) { return fromEditor(ed::pasteButtonRect(j)); }
inline constexpr Rect slotDisplay(int j) { return fromEditor(ed::slotDisplayRect(j)); }
inline constexpr Rect loadButton = fromEditor(ed::kLoadAudioRect);
inline constexpr Rect floodButton = fromEditor(ed::kFloodRect);
inline constexpr Rect bankMenu = fromEditor(ed::kBankMenuRect);
inline constexpr Rect saveButton = fromEditor(ed::kSaveBankRect);
inline constexpr Rect moveButton = fromEditor(ed::kMoveRect);
inline constexpr Rect morphButton = fromEditor(ed::kMorphRect);
inline constexpr Rect triggerButton = fromEditor(ed::kTriggerRect);
inline constexpr Rect mainMenu = fromEditor(ed::kMainMenuRect);
// Knob: the handle's centre turns on a circle of radius width / 2 - inset around (width / 2, width / 2).
inline constexpr int knobHandleInset = ed::kKnobInset;
// The instrument's factory delay shape (normalised delays of the 32 grains), shown in the pictures.
inline constexpr double factoryShape[32] = {
    0.133801, 0.147887, 0.169014, 0.190139, 0.204225, 0.218309, 0.239436, 0.274646, 0.295774, 0.338028, 0.373239,
    0.415491, 0.450704, 0.478873, 0.5,      0.535211, 0.556338, 0.577463, 0.577463, 0.549295, 0.478873, 0.401407,
    0.28169,  0.190139, 0.112676, 0.079999, 0,        0,        0,        0,        0.079999, 0.079999};
}  // namespace layout

}  // namespace tarnwick::art
