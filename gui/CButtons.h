// Buttons drawn from stacked images: the kick button (pressed while held) and the on/off switch.
#pragma once

#include "gui/CControl.h"

namespace tarnwick::gui {

// The background holds two images of heightOfOneImage stacked vertically: released on top, pressed below.
// While the left button is held the value is 1 when the mouse is inside the button (edges included) and 0
// outside; it returns to 0 on release. Every change is reported inside one begin/end edit bracket.
class CKickButton : public CControl {
 public:
  CKickButton(const CRect& size, CControlListener* listener, int32_t tag, CCoord heightOfOneImage, CBitmap* background,
              const CPoint& offset = CPoint(0, 0));

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

  CCoord getHeightOfOneImage() const { return heightOfOneImage; }
  void setHeightOfOneImage(CCoord val);

 protected:
  CPoint offset;
  CCoord heightOfOneImage;
};

// The background holds the off image in its upper half and the on image in its lower half. A left click
// toggles the value between 0 and 1 (any nonzero value counts as on) and reports it.
class COnOffButton : public CControl {
 public:
  COnOffButton(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background);

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;
};

}  // namespace tarnwick::gui
