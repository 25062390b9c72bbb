// Parameter display: a control that shows one line of text (by default its value) in a font and colours.
#pragma once

#include <cstddef>

#include "gui/CControl.h"

namespace tarnwick::gui {

// Display and option-menu styles (bit values; no-draw 0x1000 plus check 0x400 make 0x1400).
enum CParamDisplayStyle : int32_t {
  kShadowText = 0x4,  // the text is drawn a second time one pixel down-right in the shadow colour
  k3DIn = 0x8,        // sunken frame
  k3DOut = 0x10,      // raised frame
  kPopupStyle = 0x20,
  kCheckStyle = 0x400,    // option menus: the current entry carries a check mark in the popup
  kNoTextStyle = 0x800,   // no text, only the background
  kNoDrawStyle = 0x1000,  // the control draws nothing at all
  kNoFrame = 0x2000,      // no frame around the back colour
};

// Drawing (drawText): the background bitmap when there is one (from the back offset), otherwise, unless the
// control is transparent, the back colour with a one-pixel frame in the frame colour (no frame with kNoFrame
// or the 3D styles); then the text inside the rectangle inset by one pixel, centred vertically, aligned
// horizontally, in the font number and face, with its shadow when kShadowText is set.
class CParamDisplay : public CControl {
 public:
  using StringConvert = void (*)(float value, char* text, size_t capacity);

  explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, int32_t style = 0);

  void draw(CDrawContext* context) override;
  // Draws the string with this display's settings; newBack replaces the background bitmap for this drawing.
  virtual void drawText(CDrawContext* context, const char* string, CBitmap* newBack = nullptr);

  void setFont(CFont val);
  CFont getFont() const { return fontID; }
  void setTxtFace(int32_t val);
  int32_t getTxtFace() const { return txtFace; }
  void setFontColor(const CColor& color);
  CColor getFontColor() const { return fontColor; }
  void setBackColor(const CColor& color);
  CColor getBackColor() const { return backColor; }
  void setFrameColor(const CColor& color);
  CColor getFrameColor() const { return frameColor; }
  void setShadowColor(const CColor& color);
  CColor getShadowColor() const { return shadowColor; }
  void setHoriAlign(CHoriTxtAlign val);
  CHoriTxtAlign getHoriAlign() const { return horiTxtAlign; }
  void setStyle(int32_t val);
  int32_t getStyle() const { return style; }
  // With text transparency off the text's rectangle is first filled with the back colour.
  void setTextTransparency(bool val);
  bool getTextTransparency() const { return bTextTransparencyEnabled; }
  void setBackOffset(const CPoint& val);
  // How draw() turns the value into text (default: two decimals, e.g. "0.50").
  void setStringConvert(StringConvert convert) { stringConvert = convert; }

 protected:
  // Pixel size of the text drawn into a rectangle of the given width; 0 is the font's own size.
  virtual CCoord textSize(CDrawContext* context, const char* string, CCoord width);

  CHoriTxtAlign horiTxtAlign = kCenterText;
  int32_t style;
  CFont fontID = kNormalFontSmall;
  int32_t txtFace = kNormalFace;
  CColor fontColor = kWhiteCColor;
  CColor backColor = kBlackCColor;
  CColor frameColor = kBlackCColor;
  CColor shadowColor = kRedCColor;
  CPoint backOffset;
  bool bTextTransparencyEnabled = true;
  StringConvert stringConvert = nullptr;
};

}  // namespace tarnwick::gui
