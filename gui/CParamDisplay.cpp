// Parameter display: text drawing with background, frame and shadow.
#include "gui/CParamDisplay.h"

#include <cmath>
#include <cstdint>

#include "gui/CBitmap.h"

namespace tarnwick::gui {

namespace {

// Two decimals without the C library's locale.
void twoDecimals(float value, char* text, size_t capacity) {
  if (capacity == 0) return;
  char digits[32];
  size_t n = 0;
  const double clamped = std::fmax(std::fmin(static_cast<double>(value), 1e12), -1e12);
  int64_t scaled = std::llround(clamped * 100.0);
  const bool negative = scaled < 0;
  if (negative) scaled = -scaled;
  for (int position = 0; scaled > 0 || position < 3; ++position) {
    if (position == 2) digits[n++] = '.';
    digits[n++] = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  }
  if (negative) digits[n++] = '-';
  size_t out = 0;
  while (n > 0 && out + 1 < capacity) text[out++] = digits[--n];
  text[out] = '\0';
}

}  // namespace

CParamDisplay::CParamDisplay(const CRect& rect, CBitmap* background, int32_t displayStyle)
    : CControl(rect, nullptr, 0, background), style(displayStyle) {}

void CParamDisplay::draw(CDrawContext* context) {
  char text[256];
  (stringConvert ? stringConvert : twoDecimals)(value, text, sizeof text);
  drawText(context, text);
}

void CParamDisplay::drawText(CDrawContext* context, const char* string, CBitmap* newBack) {
  setDirty(false);
  if (style & kNoDrawStyle) return;
  CBitmap* back = newBack ? newBack : pBackground;
  if (back) {
    back->draw(context, size, backOffset);
  } else if (!bTransparencyEnabled) {
    context->setFillColor(backColor);
    context->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
    if (!(style & (k3DIn | k3DOut | kNoFrame))) {
      context->setLineWidth(1);
      context->setFrameColor(frameColor);
      context->drawRect(CRect(size.left, size.top, size.right - 1, size.bottom - 1));
    }
  }
  if (style & (k3DIn | k3DOut)) {
    // Light on the top and left edges for a raised frame, dark for a sunken one; the opposite below.
    const CColor light = kWhiteCColor, dark = MakeCColor(64, 64, 64);
    const CCoord r = size.right - 1, b = size.bottom - 1;
    context->setLineWidth(1);
    context->setFrameColor((style & k3DIn) ? dark : light);
    context->drawLine(CPoint(size.left, b), CPoint(size.left, size.top));
    context->drawLine(CPoint(size.left, size.top), CPoint(r, size.top));
    context->setFrameColor((style & k3DIn) ? light : dark);
    context->drawLine(CPoint(r, size.top + 1), CPoint(r, b));
    context->drawLine(CPoint(size.left + 1, b), CPoint(r, b));
  }
  if ((style & kNoTextStyle) || string == nullptr) return;

  CRect textRect = size;
  textRect.inset(1, 1);
  CRect savedClip;
  context->getClipRect(savedClip);
  CRect clip = textRect;
  clip.bound(savedClip);
  context->setClipRect(clip);
  context->setFont(fontID, textSize(context, string, textRect.width()), txtFace);
  context->setFillColor(backColor);
  if (style & kShadowText) {
    CRect shadowRect = textRect;
    shadowRect.offset(1, 1);
    context->setFontColor(shadowColor);
    context->drawString(string, shadowRect, false, horiTxtAlign);
  }
  context->setFontColor(fontColor);
  context->drawString(string, textRect, !bTextTransparencyEnabled, horiTxtAlign);
  context->setClipRect(savedClip);
}

CCoord CParamDisplay::textSize(CDrawContext*, const char*, CCoord) { return 0; }

void CParamDisplay::setFont(CFont val) {
  fontID = val;
  setDirty(true);
}

void CParamDisplay::setTxtFace(int32_t val) {
  txtFace = val;
  setDirty(true);
}

void CParamDisplay::setFontColor(const CColor& color) {
  fontColor = color;
  setDirty(true);
}

void CParamDisplay::setBackColor(const CColor& color) {
  backColor = color;
  setDirty(true);
}

void CParamDisplay::setFrameColor(const CColor& color) {
  frameColor = color;
  setDirty(true);
}

void CParamDisplay::setShadowColor(const CColor& color) {
  shadowColor = color;
  setDirty(true);
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign val) {
  horiTxtAlign = val;
  setDirty(true);
}

void CParamDisplay::setStyle(int32_t val) {
  style = val;
  setDirty(true);
}

void CParamDisplay::setTextTransparency(bool val) {
  bTextTransparencyEnabled = val;
  setDirty(true);
}

void CParamDisplay::setBackOffset(const CPoint& val) {
  backOffset = val;
  setDirty(true);
}

}  // namespace tarnwick::gui
