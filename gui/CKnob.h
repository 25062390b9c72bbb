// Knob: a handle bitmap (or a drawn line) on a circle over a background bitmap.
#pragma once

#include "gui/CControl.h"

namespace tarnwick::gui {

// Value 0 lies at 225° (lower left), 1 at -45° (lower right), turning clockwise through the top. The
// handle's centre sits on a circle of radius width / 2 - inset around the control's centre (width / 2,
// width / 2), rounded to the nearest pixel.
//
// Mouse: with the editor's knob mode linear (kLinearMode), or with Alt in the other modes, dragging up or
// right raises the value by the full range per 200 pixels (2000 with Shift); otherwise the value follows the
// angle of the mouse. Ctrl + left click sets the default.
class CKnob : public CControl {
 public:
  CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* handle,
        const CPoint& offset = CPoint(0, 0));
  ~CKnob() override;

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

  void setInsetValue(CCoord val);
  CCoord getInsetValue() const { return inset; }
  void setHandleBitmap(CBitmap* handle);
  CBitmap* getHandleBitmap() const { return pHandle; }
  void setColorHandle(const CColor& color) { colorHandle = color; }
  void setColorShadowHandle(const CColor& color) { colorShadowHandle = color; }
  void setZoomFactor(float val) { zoomFactor = val > 0.0f ? val : 1.0f; }
  float getZoomFactor() const { return zoomFactor; }

  // The handle's centre for the current value, relative to the control's top left.
  CPoint valueToPoint() const;
  // The value for a point relative to the control's top left (circular mode).
  float valueFromPoint(const CPoint& point) const;

 protected:
  CPoint offset;
  CBitmap* pHandle = nullptr;
  CCoord inset = 3;
  CColor colorHandle = kWhiteCColor;
  CColor colorShadowHandle = kGreyCColor;
  float zoomFactor = 10.0f;
};

}  // namespace tarnwick::gui
