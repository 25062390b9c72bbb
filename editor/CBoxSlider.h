// The bar overlay: one transparent slider over the 32 delay bars that follows the mouse's height and
// remembers which bar's column the mouse is in, so that a sideways drag paints values across the bars.
#pragma once

#include <cstdint>

#include "gui/CSlider.h"

namespace tarnwick {

class CBoxSlider : public gui::CVerticalSlider {
 public:
  CBoxSlider(const gui::CRect& size, gui::CControlListener* listener, int32_t tag, gui::CCoord handleMin,
             gui::CCoord handleMax, gui::CBitmap* handle, gui::CBitmap* background,
             const gui::CPoint& offset = gui::CPoint(0, 0), int32_t style = gui::kBottom);

  // The column (0..31) of the last mouse action.
  int32_t getBarIndex() const { return barIndex; }
  // The column under x (window pixels), limited to the bars.
  int32_t columnAt(gui::CCoord x) const;

  // Transparent: only the handle is drawn, the bars beneath show the grid.
  void draw(gui::CDrawContext* context) override;
  void mouse(gui::CDrawContext* context, gui::CPoint& where, int32_t buttons = -1) override;

 private:
  int32_t barIndex = 0;
};

}  // namespace tarnwick
