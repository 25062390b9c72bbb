// The frame: view list, deferred drawing of dirty areas, mouse and key dispatch and the modal-loop plumbing.
#include "gui/CFrame.h"

#include <algorithm>

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/FileDropTarget.h"

namespace tarnwick::gui {

namespace {

int32_t validScale(int32_t halves) { return std::clamp(halves, 2, 8); }

}  // namespace

CFrame::CFrame(const CRect& rect, void* systemWindow, AEffGUIEditor* editor, int32_t scaleHalves)
    : CFrame(rect,
             platform::createEditorWindow(systemWindow, (rect.width() * validScale(scaleHalves) + 1) / 2,
                                          (rect.height() * validScale(scaleHalves) + 1) / 2),
             editor, scaleHalves) {}

CFrame::CFrame(const CRect& rect, std::unique_ptr<platform::EditorWindow> window, AEffGUIEditor* editor,
               int32_t scaleHalves)
    : CView(CRect(0, 0, std::clamp(rect.width(), 0, 8192), std::clamp(rect.height(), 0, 8192))),
      editor_(editor),
      window_(std::move(window)),
      scaleHalves_(validScale(scaleHalves)) {
  allocatePixels();
  views_.reserve(128);
  if (window_ && (window_->width() != pixelWidth() || window_->height() != pixelHeight()))
    window_->resize(pixelWidth(), pixelHeight());
  if (window_) window_->setListener(this);
  invalidate(size);
}

void CFrame::allocatePixels() {
  const int32_t w = pixelWidth(), h = pixelHeight();
  pixels_.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0xFF000000u);
  context_ = std::make_unique<CDrawContext>(this, pixels_.empty() ? nullptr : pixels_.data(), w, h, w);
  context_->setScaleHalves(scaleHalves_);
}

void CFrame::setScale(int32_t scaleHalves) {
  scaleHalves = validScale(scaleHalves);
  if (scaleHalves == scaleHalves_ || drawing_) return;
  scaleHalves_ = scaleHalves;
  allocatePixels();
  if (window_) window_->resize(pixelWidth(), pixelHeight());
  for (CView* view : views_) view->setDirty(true);
  invalidate(size);
}

int32_t CFrame::toPixel(CCoord v) const {
  const int64_t p = int64_t{v} * scaleHalves_;
  return static_cast<int32_t>(p >= 0 ? p / 2 : -((-p + 1) / 2));
}

CCoord CFrame::fromPixel(int32_t p) const {
  const int64_t v = int64_t{p} * 2;
  return static_cast<CCoord>(v >= 0 ? v / scaleHalves_ : -((-v + scaleHalves_ - 1) / scaleHalves_));
}

CFrame::~CFrame() {
  if (window_) window_->setListener(nullptr);
  modalView_ = nullptr;
  removeAll(true);
}

bool CFrame::addView(CView* view) {
  if (view == nullptr || view == this || view->getFrame() != nullptr) return false;
  views_.push_back(view);
  view->attached(this);
  invalidate(view->getViewSize());
  return true;
}

bool CFrame::removeView(CView* view, bool withForget) {
  const auto it = std::find(views_.begin(), views_.end(), view);
  if (it == views_.end()) return false;
  views_.erase(it);
  if (modalView_ == view) {
    modalView_ = nullptr;
    modalChanged(view);
  }
  invalidate(view->getViewSize());
  view->removed(this);
  if (withForget) view->forget();
  return true;
}

bool CFrame::removeAll(bool withForget) {
  if (CView* before = modalView_) {
    modalView_ = nullptr;
    modalChanged(before);
  }
  while (!views_.empty()) {
    CView* view = views_.back();
    views_.pop_back();
    view->removed(this);
    if (withForget) view->forget();
  }
  invalidate(size);
  return true;
}

bool CFrame::isChild(const CView* view) const { return std::find(views_.begin(), views_.end(), view) != views_.end(); }

CView* CFrame::getView(int32_t index) const {
  return (index >= 0 && index < getNbViews()) ? views_[static_cast<size_t>(index)] : nullptr;
}

void CFrame::idle() {
  if (!dispatching_ && window_) {
    dispatching_ = true;
    window_->dispatchEvents();
    dispatching_ = false;
  }
  drawDirty();
}

void CFrame::doIdleStuff() {
  pumpModal();
  drawDirty();
  if (editor_) editor_->doIdleStuff();
}

bool CFrame::pumpModal() {
  if (!window_ || !window_->pumpModal()) modalAbandoned_ = true;
  return !modalAbandoned_;
}

void CFrame::invalidate(const CRect& rect) { addArea(rect); }

void CFrame::addArea(const CRect& rect) {
  CRect r = rect;
  r.bound(size);
  if (r.isEmpty()) return;
  // Overlapping areas are merged so nothing is drawn twice; the list is fixed-size and never allocates.
  for (int32_t i = 0; i < areaCount_;) {
    if (areas_[i].rectOverlap(r)) {
      r.unite(areas_[i]);
      areas_[i] = areas_[--areaCount_];
      i = 0;
    } else {
      ++i;
    }
  }
  if (areaCount_ == kMaxAreas) {
    for (int32_t i = 1; i < areaCount_; ++i) areas_[0].unite(areas_[i]);
    r.unite(areas_[0]);
    areaCount_ = 0;
  }
  areas_[areaCount_++] = r;
}

void CFrame::drawDirty() {
  if (drawing_ || pixels_.empty()) return;
  drawing_ = true;
  for (CView* view : views_) {
    if (view->isDirty()) addArea(view->getViewSize());
  }
  if (modalView_ && modalView_->isDirty()) addArea(modalView_->getViewSize());
  CRect areas[kMaxAreas];
  const int32_t count = areaCount_;
  std::copy(areas_, areas_ + count, areas);
  areaCount_ = 0;
  for (int32_t i = 0; i < count; ++i) drawArea(areas[i]);
  // A view is clean once all of its visible part was drawn; invisible dirty views are simply cleared.
  auto settle = [&](CView* view) {
    CRect visible = view->getViewSize();
    visible.bound(size);
    bool drawn = visible.isEmpty();
    for (int32_t i = 0; i < count && !drawn; ++i) {
      drawn = areas[i].left <= visible.left && areas[i].top <= visible.top && areas[i].right >= visible.right &&
              areas[i].bottom >= visible.bottom;
    }
    if (drawn && view->isDirty()) view->setDirty(false);
  };
  for (CView* view : views_) settle(view);
  if (modalView_) settle(modalView_);
  for (int32_t i = 0; i < count; ++i) present(areas[i]);
  drawing_ = false;
}

void CFrame::drawArea(const CRect& area) {
  CDrawContext* ctx = context_.get();
  auto prepare = [&] {
    ctx->setOffset(CPoint(0, 0));
    ctx->resetClipRect();
    ctx->setClipRect(area);
    ctx->setLineWidth(1);
  };
  prepare();
  ctx->clear(kBlackCColor);
  if (pBackground) pBackground->draw(ctx, area, area.topLeft());
  for (size_t i = 0; i < views_.size(); ++i) {
    CView* view = views_[i];
    if (view == modalView_ || !view->getViewSize().rectOverlap(area)) continue;
    prepare();
    view->draw(ctx);
  }
  if (modalView_ && modalView_->getViewSize().rectOverlap(area)) {
    prepare();
    modalView_->draw(ctx);
  }
  ctx->setOffset(CPoint(0, 0));
  ctx->resetClipRect();
}

void CFrame::present(const CRect& area) {
  CRect r = area;
  r.bound(size);
  if (!r.isEmpty()) presentPixels(CRect(toPixel(r.left), toPixel(r.top), toPixel(r.right), toPixel(r.bottom)));
}

void CFrame::presentPixels(CRect r) {
  r.bound(CRect(0, 0, pixelWidth(), pixelHeight()));
  if (window_ && !r.isEmpty()) window_->present(pixels_.data(), pixelWidth(), r.left, r.top, r.width(), r.height());
}

bool CFrame::setModalView(CView* view) {
  if (view && modalView_) return false;
  CView* before = modalView_;
  if (modalView_) invalidate(modalView_->getViewSize());
  modalView_ = view;
  if (view) invalidate(view->getViewSize());
  modalChanged(before);
  return true;
}

void CFrame::modalChanged(CView* before) {
  if (!window_) return;
  if (modalView_ && modalView_->wantsKeys()) {
    window_->takeKeyboardFocus();
  } else if (before && before->wantsKeys()) {
    window_->releaseKeyboardFocus();
  }
}

bool CFrame::onKeyDown(const KeyEvent& key) {
  CView* target = modalView_;
  if (target == nullptr) return false;
  target->remember();  // the view may remove itself when the key ends it
  const bool used = target->onKeyDown(key);
  target->forget();
  return used;
}

bool CFrame::getCurrentMouseLocation(CPoint& where) const {
  if (!window_) return false;
  const platform::MouseState state = window_->mouseState();
  where = CPoint(fromPixel(state.x), fromPixel(state.y));
  return true;
}

int32_t CFrame::getCurrentMouseButtons() const {
  if (!window_ || modalAbandoned_) return 0;
  return window_->mouseState().buttons;
}

int32_t CFrame::getKnobMode() const { return editor_ ? editor_->getKnobMode() : kCircularMode; }

void CFrame::setBackground(CBitmap* background) {
  CView::setBackground(background);
  invalidate(size);
}

void CFrame::draw(CDrawContext* context) {
  if (context == nullptr) return;
  if (pBackground) pBackground->draw(context, size);
  for (CView* view : views_) {
    if (view != modalView_) view->draw(context);
  }
  if (modalView_) modalView_->draw(context);
}

void CFrame::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (buttons == -1) buttons = getCurrentMouseButtons();
  CView* target = nullptr;
  if (modalView_) {
    if (modalView_->hitTest(where, buttons)) target = modalView_;
  } else {
    for (auto it = views_.rbegin(); it != views_.rend(); ++it) {
      if ((*it)->getMouseEnabled() && (*it)->hitTest(where, buttons)) {
        target = *it;
        break;
      }
    }
  }
  if (target == nullptr) return;
  if (target == modalView_ && target->wantsKeys() && window_) window_->takeKeyboardFocus();
  // The view may remove itself while it handles the mouse; keep it alive until it returns.
  target->remember();
  target->mouse(context, where, buttons);
  target->forget();
}

void CFrame::windowMouseDown(const platform::MouseState& state) {
  modalAbandoned_ = false;
  CPoint where(fromPixel(state.x), fromPixel(state.y));
  mouse(context_.get(), where, state.buttons);
}

void CFrame::windowKeyDown(const KeyEvent& key) { onKeyDown(key); }

void CFrame::windowWheel(int32_t x, int32_t y, int32_t steps) {
  CView* target = modalView_;
  if (target == nullptr) return;
  target->remember();
  target->onWheel(CPoint(fromPixel(x), fromPixel(y)), steps);
  target->forget();
}

// A modal view (a dialog, the about screen) takes no files. Drops come in window pixels, as the mouse does.
bool CFrame::windowDragOver(const platform::FileDrag& drag, int32_t x, int32_t y) {
  return dropTarget_ != nullptr && modalView_ == nullptr &&
         dropTarget_->acceptsDrop(drag, CPoint(fromPixel(x), fromPixel(y)));
}

void CFrame::windowDrop(const platform::FileDrag& drag, int32_t x, int32_t y) {
  if (dropTarget_ != nullptr) dropTarget_->dropFiles(drag, CPoint(fromPixel(x), fromPixel(y)));
}

void CFrame::windowExposed(int32_t x, int32_t y, int32_t width, int32_t height) {
  drawDirty();
  presentPixels(CRect(x, y, x + width, y + height));
}

}  // namespace tarnwick::gui
