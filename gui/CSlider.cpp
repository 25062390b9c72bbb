// Sliders: handle placement, drawing and the drag loop.
#include "gui/CSlider.h"

#include <algorithm>

#include "gui/CBitmap.h"

namespace tarnwick::gui {

CSlider::CSlider(const CRect& rect, CControlListener* controlListener, int32_t controlTag, CCoord minPos, CCoord maxPos,
                 CBitmap* handle, CBitmap* background, const CPoint& backOffset, int32_t sliderStyle)
    : CControl(rect, controlListener, controlTag, background),
      offset(backOffset),
      style(sliderStyle),
      handleMin(minPos),
      rangeHandle(maxPos - minPos) {
  setHandle(handle);
}

CSlider::~CSlider() {
  if (pHandle) pHandle->forget();
}

void CSlider::setHandle(CBitmap* handle) {
  if (handle != pHandle) {
    if (handle) handle->remember();
    if (pHandle) pHandle->forget();
    pHandle = handle;
  }
  widthOfSlider = pHandle ? std::max(pHandle->getWidth(), 1) : 1;
  heightOfSlider = pHandle ? std::max(pHandle->getHeight(), 1) : 1;
  setDirty(true);
}

void CSlider::setOffsetHandle(const CPoint& val) {
  offsetHandle = val;
  setDirty(true);
}

void CSlider::setOffset(const CPoint& val) {
  offset = val;
  setDirty(true);
}

void CSlider::setDrawTransparentHandle(bool val) {
  bDrawTransparentEnabled = val;
  setDirty(true);
}

CRect CSlider::getHandleRect() const {
  const float v = std::clamp(inverted() ? 1.0f - value : value, 0.0f, 1.0f);
  const CCoord along = handleMin + static_cast<CCoord>(v * static_cast<float>(rangeHandle));
  CRect r;
  if (horizontal()) {
    r = CRect(along, size.top + offsetHandle.y, along + widthOfSlider, size.top + offsetHandle.y + heightOfSlider);
  } else {
    r = CRect(size.left + offsetHandle.x, along, size.left + offsetHandle.x + widthOfSlider, along + heightOfSlider);
  }
  return r;
}

void CSlider::draw(CDrawContext* context) {
  if (pBackground) pBackground->draw(context, size, offset);
  if (pHandle) pHandle->draw(context, getHandleRect());
  setDirty(false);
}

void CSlider::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (listener && (buttons & (kAlt | kShift | kControl | kApple))) {
    if (listener->controlModifierClicked(context, this, buttons) != 0) return;
  }
  if (checkDefaultValue(context, buttons)) return;
  if (!(buttons & kLButton)) return;

  // The handle's centre follows the mouse.
  const CCoord delta = handleMin + (horizontal() ? widthOfSlider : heightOfSlider) / 2 - 1;
  float start = value;
  bool shiftHeld = false;
  beginEdit();
  // The first pass takes the state the press came with: a release that the window system delivered
  // together with a late press must not swallow the click.
  for (bool first = true;; first = false) {
    if (!first) buttons = context->getMouseButtons();
    if (!(buttons & kLButton)) break;
    const bool shift = (buttons & kShift) != 0;
    if (shift && !shiftHeld) start = value;
    shiftHeld = shift;
    const CCoord position = horizontal() ? where.x : where.y;
    float raw = rangeHandle != 0 ? static_cast<float>(position - delta) / static_cast<float>(rangeHandle) : 0.0f;
    if (inverted()) raw = 1.0f - raw;
    value = shift ? start + (raw - start) / zoomFactor : raw;
    bounceValue();
    if (isDirty() && listener) listener->valueChanged(context, this);
    doIdleStuff();
    context->getMouseLocation(where);
  }
  endEdit();
}

CVerticalSlider::CVerticalSlider(const CRect& rect, CControlListener* controlListener, int32_t controlTag,
                                 CCoord minPos, CCoord maxPos, CBitmap* handle, CBitmap* background,
                                 const CPoint& backOffset, int32_t sliderStyle)
    : CSlider(rect, controlListener, controlTag, minPos, maxPos, handle, background, backOffset,
              (sliderStyle & ~kHorizontal) | kVertical) {}

CHorizontalSlider::CHorizontalSlider(const CRect& rect, CControlListener* controlListener, int32_t controlTag,
                                     CCoord minPos, CCoord maxPos, CBitmap* handle, CBitmap* background,
                                     const CPoint& backOffset, int32_t sliderStyle)
    : CSlider(rect, controlListener, controlTag, minPos, maxPos, handle, background, backOffset,
              (sliderStyle & ~kVertical) | kHorizontal) {}

}  // namespace tarnwick::gui
