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

void CLabel::draw(CDrawContext* context) { drawText(context, labelText); }

// A text too wide for the label is set one size smaller at a time (down to 9 pixels) rather than
// cut, so that "MASTER" fits the key label.
gui::CCoord CLabel::textSize(CDrawContext* context, const char* string, gui::CCoord width) {
  gui::CCoord pixels = fontPixelSize(fontID);
  context->setFont(fontID, pixels, txtFace);
  while (pixels > kSmallestTextSize && context->getStringWidth(string) > width) {
    --pixels;
    context->setFont(fontID, pixels, txtFace);
  }
  return pixels;
}

void CLabel::mouse(CDrawContext* context, CPoint& /*where*/, int32_t buttons) {
  if (!mouseOn) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (buttons & kLButton) {
    if (commands) commands->editorCommand(kEditModeClick, 1.0f);
    setText(nameText);
  } else if (buttons & kRButton) {
    showNumber = !showNumber;
    setText(showNumber ? numberText : nameText);
  }
  setDirty(true);
}

}  // namespace tarnwick
