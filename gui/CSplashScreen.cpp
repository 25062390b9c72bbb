// Splash screen: the open/close toggle through the frame's modal view.
#include "gui/CSplashScreen.h"

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

namespace tarnwick::gui {

CSplashScreen::CSplashScreen(const CRect& rect, CControlListener* controlListener, int32_t controlTag,
                             CBitmap* background, const CRect& display, const CPoint& backOffset)
    : CControl(rect, controlListener, controlTag, background), toDisplay(display), keepSize(rect), offset(backOffset) {}

void CSplashScreen::draw(CDrawContext* context) {
  if (value != 0.0f && pBackground) pBackground->draw(context, toDisplay, offset);
  setDirty(false);
}

void CSplashScreen::mouse(CDrawContext* context, CPoint& /*where*/, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (!(buttons & kLButton)) return;
  if (value == 0.0f) {
    if (pParentFrame == nullptr || !pParentFrame->setModalView(this)) return;
    value = 1.0f;
    keepSize = size;
    setViewSize(toDisplay);
  } else {
    value = 0.0f;
    if (pParentFrame && pParentFrame->getModalView() == this) pParentFrame->setModalView(nullptr);
    setViewSize(keepSize);
  }
  setDirty(true);
  if (listener) listener->valueChanged(context, this);
}

}  // namespace tarnwick::gui
