// Knob: handle geometry, drawing, and the linear and circular drags.
#include "gui/CKnob.h"

#include <algorithm>

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/DetMath.h"

namespace tarnwick::gui {

namespace {

constexpr double kStartAngle = 5.0 * detmath::kPi / 4.0;
constexpr double kRangeAngle = 3.0 * detmath::kPi / 2.0;  // clockwise
constexpr float kLinearPixels = 200.0f;

}  // namespace

CKnob::CKnob(const CRect& rect, CControlListener* controlListener, int32_t controlTag, CBitmap* background,
             CBitmap* handle, const CPoint& backOffset)
    : CControl(rect, controlListener, controlTag, background), offset(backOffset) {
  setHandleBitmap(handle);
}

CKnob::~CKnob() {
  if (pHandle) pHandle->forget();
}

void CKnob::setInsetValue(CCoord val) {
  inset = val;
  setDirty(true);
}

void CKnob::setHandleBitmap(CBitmap* handle) {
  if (handle == pHandle) return;
  if (handle) handle->remember();
  if (pHandle) pHandle->forget();
  pHandle = handle;
  setDirty(true);
}

CPoint CKnob::valueToPoint() const {
  const double range = vmax != vmin ? static_cast<double>(vmax) - vmin : 1.0;
  const double t = std::clamp((static_cast<double>(value) - vmin) / range, 0.0, 1.0);
  const double angle = kStartAngle - t * kRangeAngle;
  const double radius = static_cast<double>(size.width()) / 2.0;
  const double r = radius - inset;
  return CPoint(static_cast<CCoord>(std::floor(radius + detmath::cos(angle) * r + 0.5)),
                static_cast<CCoord>(std::floor(radius - detmath::sin(angle) * r + 0.5)));
}

float CKnob::valueFromPoint(const CPoint& point) const {
  const double radius = static_cast<double>(size.width()) / 2.0;
  const double angle = detmath::atan2(radius - point.y, point.x - radius);
  double travelled = kStartAngle - angle;  // clockwise from the start
  while (travelled < 0.0) travelled += 2.0 * detmath::kPi;
  while (travelled >= 2.0 * detmath::kPi) travelled -= 2.0 * detmath::kPi;
  double t;
  if (travelled <= kRangeAngle) {
    t = travelled / kRangeAngle;
  } else {
    // In the gap at the bottom: the nearer end.
    t = travelled - kRangeAngle < (2.0 * detmath::kPi - kRangeAngle) / 2.0 ? 1.0 : 0.0;
  }
  return static_cast<float>(vmin + t * (static_cast<double>(vmax) - vmin));
}

void CKnob::draw(CDrawContext* context) {
  if (pBackground) pBackground->draw(context, size, offset);
  const CPoint p = valueToPoint();
  if (pHandle) {
    const CCoord w = pHandle->getWidth(), h = pHandle->getHeight();
    const CCoord left = size.left + p.x - w / 2, top = size.top + p.y - h / 2;
    pHandle->draw(context, CRect(left, top, left + w, top + h));
  } else {
    const CPoint centre(size.left + size.width() / 2, size.top + size.width() / 2);
    const CPoint tip(size.left + p.x, size.top + p.y);
    context->setLineWidth(1);
    context->setFrameColor(colorShadowHandle);
    context->drawLine(CPoint(centre.x + 1, centre.y + 1), CPoint(tip.x + 1, tip.y + 1));
    context->setFrameColor(colorHandle);
    context->drawLine(centre, tip);
  }
  setDirty(false);
}

void CKnob::mouse(CDrawContext* context, CPoint& where, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (!(buttons & kLButton)) return;
  if (listener && (buttons & (kAlt | kShift | kControl | kApple))) {
    if (listener->controlModifierClicked(context, this, buttons) != 0) return;
  }
  if (checkDefaultValue(context, buttons)) return;

  const bool editorLinear = pParentFrame && pParentFrame->getKnobMode() == kLinearMode;
  const bool linear = editorLinear ? !(buttons & kAlt) : (buttons & kAlt) != 0;
  const float span = vmax - vmin;
  const CPoint first = where;
  float entry = value;
  float coef = span / (kLinearPixels * ((buttons & kShift) ? zoomFactor : 1.0f));
  int32_t lastButtons = buttons;
  beginEdit();
  // The first pass takes the state the press came with (see CSlider::mouse).
  for (bool firstPass = true;; firstPass = false) {
    if (!firstPass) buttons = context->getMouseButtons();
    if (!(buttons & kLButton)) break;
    if (linear) {
      const float diff = static_cast<float>((first.y - where.y) + (where.x - first.x));
      if ((buttons & kShift) != (lastButtons & kShift)) {
        // Keep the value where it is when the scale changes.
        const float newCoef = span / (kLinearPixels * ((buttons & kShift) ? zoomFactor : 1.0f));
        entry += diff * (coef - newCoef);
        coef = newCoef;
      }
      lastButtons = buttons;
      value = entry + diff * coef;
    } else {
      value = valueFromPoint(CPoint(where.x - size.left, where.y - size.top));
    }
    bounceValue();
    if (isDirty() && listener) listener->valueChanged(context, this);
    doIdleStuff();
    context->getMouseLocation(where);
  }
  endEdit();
}

}  // namespace tarnwick::gui
