// The bar overlay's drawing and its drag, which reports every change of value or column.
#include "editor/CBoxSlider.h"

#include <algorithm>

#include "engine/Constants.h"
#include "gui/CBitmap.h"

namespace tarnwick {

using namespace gui;

CBoxSlider::CBoxSlider(const CRect& rect, CControlListener* controlListener, int32_t controlTag, CCoord handleMin,
                       CCoord handleMax, CBitmap* handle, CBitmap* background, const CPoint& backOffset,
                       int32_t sliderStyle)
    : CVerticalSlider(rect, controlListener, controlTag, handleMin, handleMax, handle, background, backOffset,
                      sliderStyle) {}

int32_t CBoxSlider::columnAt(CCoord x) const {
  // The column width is the handle's width, which is also each bar's width.
  return std::clamp((x - size.left) / std::max(widthOfSlider, 1), 0, kGrainCount - 1);
}

void CBoxSlider::draw(CDrawContext* context) {
  if (!bTransparencyEnabled) {
    CVerticalSlider::draw(context);
    return;
  }
  if (pHandle) pHandle->drawTransparent(context, getHandleRect());
  setDirty(false);
}

void CBoxSlider::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!bMouseEnabled) return;
  barIndex = columnAt(where.x);
  int32_t previousColumn = barIndex;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (listener && (buttons & (kAlt | kShift | kControl | kApple))) {
    if (listener->controlModifierClicked(context, this, buttons) != 0) return;
  }
  if (buttons == (kControl | kLButton)) {
    value = defaultValue;
    if (isDirty() && listener) listener->valueChanged(context, this);
    return;
  }
  if (!(buttons & kLButton)) return;

  // The handle's centre follows the mouse.
  const CCoord delta = size.top + heightOfSlider / 2 - 1;
  const float start = value;
  beginEdit();
  // The first pass takes the state the press came with: a click sets the bar under the mouse even when
  // the window system delivers the release together with a late press.
  for (bool first = true;; first = false) {
    if (!first) buttons = context->getMouseButtons();
    if (!(buttons & kLButton)) break;
    float v = rangeHandle != 0 ? static_cast<float>(where.y - delta) / static_cast<float>(rangeHandle) : 0.0f;
    if (buttons & kShift) v = start + (v - start) / zoomFactor;
    value = std::clamp(v, 0.0f, 1.0f);
    barIndex = columnAt(where.x);
    // The press itself always reports: the overlay's value is only the last painted one, and the bar
    // under the mouse takes the clicked height even when that equals it.
    if (barIndex != previousColumn || first) setDirty(true);
    previousColumn = barIndex;
    if (isDirty() && listener) listener->valueChanged(context, this);
    doIdleStuff();
    context->getMouseLocation(where);
  }
  endEdit();
}

}  // namespace tarnwick
