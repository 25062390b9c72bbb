// Level meter drawing and fall-back.
#include "gui/CVuMeter.h"

#include <algorithm>

#include "gui/CBitmap.h"

namespace tarnwick::gui {

namespace {

void exchange(CBitmap*& slot, CBitmap* bitmap) {
  if (bitmap == slot) return;
  if (bitmap) bitmap->remember();
  if (slot) slot->forget();
  slot = bitmap;
}

}  // namespace

CVuMeter::CVuMeter(const CRect& rect, CBitmap* on, CBitmap* off, int32_t leds, int32_t meterStyle)
    : CControl(rect, nullptr, 0, nullptr), nbLed(std::max(leds, 1)), style(meterStyle) {
  exchange(onBitmap, on);
  exchange(offBitmap, off);
}

CVuMeter::~CVuMeter() {
  exchange(onBitmap, nullptr);
  exchange(offBitmap, nullptr);
}

void CVuMeter::setNbLed(int32_t val) {
  nbLed = std::max(val, 1);
  setDirty(true);
}

void CVuMeter::setOnBitmap(CBitmap* bitmap) {
  exchange(onBitmap, bitmap);
  setDirty(true);
}

void CVuMeter::setOffBitmap(CBitmap* bitmap) {
  exchange(offBitmap, bitmap);
  setDirty(true);
}

bool CVuMeter::isDirty() const { return CControl::isDirty() || shownValue > std::clamp(value, vmin, vmax); }

int32_t CVuMeter::getLitLeds() const {
  return std::clamp(static_cast<int32_t>(static_cast<float>(nbLed) * shownValue + 0.5f), 0, nbLed);
}

void CVuMeter::draw(CDrawContext* context) {
  bounceValue();
  shownValue = std::max(shownValue - decreaseValue, value);
  const int32_t lit = getLitLeds();
  CRect onRect = size, offRect = size;
  CPoint onOffset, offOffset;
  if (style & kHorizontal) {
    const CCoord w = onBitmap ? onBitmap->getWidth() : size.width();
    const CCoord onColumns = static_cast<CCoord>(int64_t{lit} * w / nbLed);
    onRect.right = size.left + onColumns;
    offRect.left = size.left + onColumns;
    offOffset = CPoint(onColumns, 0);
  } else {
    const CCoord h = onBitmap ? onBitmap->getHeight() : size.height();
    const CCoord offRows = static_cast<CCoord>(int64_t{nbLed - lit} * h / nbLed);
    offRect.bottom = size.top + offRows;
    onRect.top = size.top + offRows;
    onOffset = CPoint(0, offRows);
  }
  if (offBitmap) offBitmap->draw(context, offRect, offOffset);
  if (onBitmap) onBitmap->draw(context, onRect, onOffset);
  setDirty(false);
}

}  // namespace tarnwick::gui
