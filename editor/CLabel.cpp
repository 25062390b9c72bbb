// The text label: bounded text, drawing through the parameter display, and the key label's clicks.
#include "editor/CLabel.h"

#include "editor/EditorCommands.h"
#include "editor/Layout.h"
#include "gui/CBitmap.h"

namespace tarnwick {

using namespace gui;

CLabel::CLabel(const CRect& rect, CBitmap* background, const char* text) : CParamDisplay(rect, background, 0) {
  setText(text);
}

void CLabel::copyLimited(char* to, const char* from, int32_t capacity) {
  int32_t n = 0;
  while (n + 1 < capacity && from[n] != '\0') {
    to[n] = from[n];
    ++n;
  }
  to[n] = '\0';
}

void CLabel::setText(const char* text) {
  if (text) copyLimited(labelText, text, kTextCapacity);
  setDirty(true);
}

void CLabel::setKeyTexts(const char* name, const char* number) {
  copyLimited(nameText, name ? name : "", kKeyTextCapacity);
  copyLimited(numberText, number ? number : "", kKeyTextCapacity);
}

void CLabel::draw(CDrawContext* context) {
  setDirty(false);
  if (style & kNoDrawStyle) return;
  if (pBackground) {
    pBackground->draw(context, size, backOffset);
  } else if (!bTransparencyEnabled) {
    context->setFillColor(backColor);
    context->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
    context->setLineWidth(1);
    context->setFrameColor(frameColor);
    context->drawRect(CRect(size.left, size.top, size.right - 1, size.bottom - 1));
  }
  CRect textRect = size;
  textRect.inset(1, 1);
  CRect savedClip;
  context->getClipRect(savedClip);
  CRect clip = textRect;
  clip.bound(savedClip);
  context->setClipRect(clip);
  // The parameter display's text drawing, except that a text too wide for the label is set one size
  // smaller at a time (down to 9 pixels) rather than cut, so that "MASTER" fits the key label.
  CCoord pixels = fontPixelSize(fontID);
  context->setFont(fontID, pixels, txtFace);
  while (pixels > kSmallestTextSize && context->getStringWidth(labelText) > textRect.width()) {
    --pixels;
    context->setFont(fontID, pixels, txtFace);
  }
  if (style & kShadowText) {
    CRect shadowRect = textRect;
    shadowRect.offset(1, 1);
    context->setFontColor(shadowColor);
    context->drawString(labelText, shadowRect, false, horiTxtAlign);
  }
  context->setFontColor(fontColor);
  context->setFillColor(backColor);
  context->drawString(labelText, textRect, !bTextTransparencyEnabled, horiTxtAlign);
  context->setClipRect(savedClip);
}

void CLabel::mouse(CDrawContext* context, CPoint& /*where*/, int32_t buttons) {
  if (!mouseOn) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (buttons & kLButton) {
    if (commands) commands->editorCommand(layout::kEditModeClick, 1.0f);
    setText(nameText);
  } else if (buttons & kRButton) {
    showNumber = !showNumber;
    setText(showNumber ? numberText : nameText);
  }
  setDirty(true);
}

}  // namespace tarnwick
