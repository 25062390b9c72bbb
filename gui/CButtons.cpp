// Kick and on/off buttons.
#include "gui/CButtons.h"

#include "gui/CBitmap.h"

namespace tarnwick::gui {

CKickButton::CKickButton(const CRect& rect, CControlListener* controlListener, int32_t controlTag, CCoord imageHeight,
                         CBitmap* background, const CPoint& backOffset)
    : CControl(rect, controlListener, controlTag, background), offset(backOffset), heightOfOneImage(imageHeight) {}

void CKickButton::setHeightOfOneImage(CCoord val) {
  heightOfOneImage = val;
  setDirty(true);
}

void CKickButton::draw(CDrawContext* context) {
  if (pBackground) {
    CPoint where = offset;
    if (value != 0.0f) where.y += heightOfOneImage;
    pBackground->draw(context, size, where);
  }
  setDirty(false);
}

void CKickButton::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (!(buttons & kLButton)) return;
  float reported = value;
  auto report = [&] {
    if (value == reported) return;
    reported = value;
    if (listener) listener->valueChanged(context, this);
  };
  beginEdit();
  // The first pass takes the state the press came with (see CSlider::mouse): a quick click is a click.
  for (bool first = true;; first = false) {
    if (!first && !(context->getMouseButtons() & kLButton)) break;
    value = where.isInside(size) ? 1.0f : 0.0f;
    report();
    doIdleStuff();
    context->getMouseLocation(where);
  }
  value = 0.0f;
  report();
  endEdit();
}

COnOffButton::COnOffButton(const CRect& rect, CControlListener* controlListener, int32_t controlTag,
                           CBitmap* background)
    : CControl(rect, controlListener, controlTag, background) {}

void COnOffButton::draw(CDrawContext* context) {
  if (pBackground) {
    const CCoord y = value != 0.0f ? pBackground->getHeight() / 2 : 0;
    pBackground->draw(context, size, CPoint(0, y));
  }
  setDirty(false);
}

void COnOffButton::mouse(CDrawContext* context, CPoint& /*where*/, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (!(buttons & kLButton)) return;
  value = value != 0.0f ? 0.0f : 1.0f;
  beginEdit();
  if (listener) listener->valueChanged(context, this);
  endEdit();
}

}  // namespace tarnwick::gui
