// The one palette every bitmap draws from, and the layout positions the pictures must line up with.
#pragma once

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

// Window geometry the background has to match (left, top, right, bottom; right and bottom exclusive).
namespace layout {
inline constexpr int windowWidth = 554, windowHeight = 356;
struct Rect {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
inline constexpr Rect statusLabel{15, 13, 470, 29};
inline constexpr Rect keyLabel{484, 13, 542, 29};
inline constexpr Rect waveDisplay{13, 62, 543, 118};
inline constexpr Rect bufferStart{6, 118, 548, 132};
inline constexpr int bufferStartMin = 6, bufferStartMax = 539;
inline constexpr Rect barArea{15, 135, 463, 284};
inline constexpr int barWidth = 14, barCount = 32, barHandleMin = 135, barHandleMax = 277;
inline constexpr int sliderLeft[3] = {480, 504, 528};  // release, grain length, fade
inline constexpr int sliderTop = 133, sliderBottom = 263, sliderHandleMin = 133, sliderHandleMax = 256;
inline constexpr Rect levelKnob{471, 292, 517, 337};
inline constexpr Rect meter{526, 287, 542, 343};
inline constexpr int slotCount = 10;
inline constexpr int slotX(int j) { return 21 + 45 * j; }
inline constexpr Rect copyButton(int j) { return {slotX(j) + 2, 294, slotX(j) + 15, 311}; }
inline constexpr Rect pasteButton(int j) { return {slotX(j) + 18, 290, slotX(j) + 31, 307}; }
inline constexpr Rect slotDisplay(int j) { return {slotX(j), 317, slotX(j) + 32, 339}; }
inline constexpr Rect loadButton{14, 39, 79, 51};
inline constexpr Rect floodButton{90, 39, 130, 51};
inline constexpr Rect bankMenu{144, 39, 218, 51};
inline constexpr Rect saveButton{224, 39, 298, 51};
inline constexpr Rect moveButton{310, 42, 353, 51};
inline constexpr Rect morphButton{359, 38, 409, 55};
inline constexpr Rect triggerButton{419, 39, 472, 56};
inline constexpr Rect mainMenu{484, 39, 543, 55};
// Knob: the handle's centre turns on a circle of radius width / 2 - inset around (width / 2, width / 2).
inline constexpr int knobHandleInset = 7;
// The instrument's factory delay shape (normalised delays of the 32 grains), shown in the pictures.
inline constexpr double factoryShape[32] = {
    0.133801, 0.147887, 0.169014, 0.190139, 0.204225, 0.218309, 0.239436, 0.274646, 0.295774, 0.338028, 0.373239,
    0.415491, 0.450704, 0.478873, 0.5,      0.535211, 0.556338, 0.577463, 0.577463, 0.549295, 0.478873, 0.401407,
    0.28169,  0.190139, 0.112676, 0.079999, 0,        0,        0,        0,        0.079999, 0.079999};
}  // namespace layout

}  // namespace tarnwick::art
