// Splash screen: an invisible control that, when clicked, shows its bitmap as a modal view until clicked again.
#pragma once

#include "gui/CControl.h"

namespace tarnwick::gui {

// Closed (value 0) it occupies its own rectangle (often empty). A left click opens it (value 1): it becomes
// the frame's modal view over toDisplay, drawn above everything from the bitmap's offset, and takes every
// click there; the next left click closes it. Both changes are reported to the listener.
class CSplashScreen : public CControl {
 public:
  CSplashScreen(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, const CRect& toDisplay,
                const CPoint& offset = CPoint(0, 0));

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

  const CRect& getDisplayRect() const { return toDisplay; }

 protected:
  CRect toDisplay;
  CRect keepSize;
  CPoint offset;
};

}  // namespace tarnwick::gui
