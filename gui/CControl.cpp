// Controls: value, default, dirtiness and the edit bracket.
#include "gui/CControl.h"

#include <cmath>

#include "gui/AEffGUIEditor.h"
#include "gui/CFrame.h"

namespace tarnwick::gui {

CControl::CControl(const CRect& rect, CControlListener* controlListener, int32_t controlTag, CBitmap* background)
    : CView(rect), listener(controlListener), tag(controlTag) {
  setBackground(background);
}

void CControl::setValue(float val) {
  if (std::isnan(val)) return;
  value = val;
}

bool CControl::isDirty() const { return bDirty || value != oldValue; }

void CControl::setDirty(bool dirty) {
  bDirty = dirty;
  if (!dirty) oldValue = value;
}

void CControl::bounceValue() {
  if (value > vmax) value = vmax;
  if (value < vmin) value = vmin;
}

bool CControl::checkDefaultValue(CDrawContext* context, int32_t button) {
  if (button != (kControl | kLButton)) return false;
  beginEdit();
  value = defaultValue;
  if (isDirty() && listener) listener->valueChanged(context, this);
  endEdit();
  return true;
}

void CControl::beginEdit() {
  if (AEffGUIEditor* editor = getEditor()) editor->beginEdit(tag);
}

void CControl::endEdit() {
  if (AEffGUIEditor* editor = getEditor()) editor->endEdit(tag);
}

void CControl::doIdleStuff() {
  if (pParentFrame) pParentFrame->doIdleStuff();
}

}  // namespace tarnwick::gui
