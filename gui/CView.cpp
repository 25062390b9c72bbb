// Views: background drawing, dirtiness, bitmaps and geometry.
#include "gui/CView.h"

#include "gui/CBitmap.h"
#include "gui/CFrame.h"

namespace tarnwick::gui {

CView::CView(const CRect& rect) : size(rect), mouseableArea(rect) {}

CView::~CView() {
  if (pBackground) pBackground->forget();
}

void CView::draw(CDrawContext* context) {
  if (pBackground) pBackground->draw(context, size);
  setDirty(false);
}

void CView::mouse(CDrawContext* /*context*/, CPoint& /*where*/, int32_t /*buttons*/) {}

bool CView::hitTest(const CPoint& where, int32_t /*buttons*/) { return where.isInside(mouseableArea); }

void CView::setTransparency(bool transparent) {
  bTransparencyEnabled = transparent;
  setDirty(true);
}

void CView::setBackground(CBitmap* background) {
  if (background == pBackground) return;
  if (background) background->remember();
  if (pBackground) pBackground->forget();
  pBackground = background;
  setDirty(true);
}

void CView::setViewSize(const CRect& rect) {
  if (pParentFrame) pParentFrame->invalidate(size);
  size = rect;
  mouseableArea = rect;
  setDirty(true);
}

AEffGUIEditor* CView::getEditor() const { return pParentFrame ? pParentFrame->getEditor() : nullptr; }

}  // namespace tarnwick::gui
