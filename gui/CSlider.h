// Sliders: a handle bitmap moved along a range over a background bitmap.
#pragma once

#include "gui/CControl.h"

namespace tarnwick::gui {

// Slider styles: orientation, and which end value 0 lies at (left/top: value 0 at the range's start;
// right/bottom: value 0 at its end).
enum CSliderStyle : int32_t {
  kHorizontal = 1 << 0,
  kVertical = 1 << 1,
  kLeft = 1 << 2,
  kRight = 1 << 3,
  kTop = 1 << 4,
  kBottom = 1 << 5,
};

// The handle travels from handleMin to handleMax (window pixels along the slider's axis): its leading
// edge (left or top) lies at handleMin + trunc(v × (handleMax - handleMin)), with v the value, or
// 1 - value for right/bottom styles. Across the axis the handle sits at the control's edge plus the
// handle offset. The background is drawn into the control's rectangle from the background offset.
//
// Mouse: left button drags (the handle's centre follows the mouse anywhere in the control); Shift makes
// the movement zoomFactor (10) times finer around the value at which Shift went down; Ctrl + left click
// sets the default value. Each change is reported to the listener inside a begin/end edit bracket.
class CSlider : public CControl {
 public:
  CSlider(const CRect& size, CControlListener* listener, int32_t tag, CCoord handleMin, CCoord handleMax,
          CBitmap* handle, CBitmap* background, const CPoint& offset, int32_t style);
  ~CSlider() override;

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

  // Exchanges the handle bitmap (the slider keeps its own reference); marks the slider dirty.
  void setHandle(CBitmap* handle);
  CBitmap* getHandle() const { return pHandle; }
  void setOffsetHandle(const CPoint& val);
  const CPoint& getOffsetHandle() const { return offsetHandle; }
  void setOffset(const CPoint& val);
  const CPoint& getOffset() const { return offset; }
  void setDrawTransparentHandle(bool val);
  bool getDrawTransparentHandle() const { return bDrawTransparentEnabled; }
  void setZoomFactor(float val) { zoomFactor = val > 0.0f ? val : 1.0f; }
  float getZoomFactor() const { return zoomFactor; }
  void setStyle(int32_t val) {
    style = val;
    setDirty(true);
  }
  int32_t getStyle() const { return style; }
  CCoord getHandleMin() const { return handleMin; }
  CCoord getHandleRange() const { return rangeHandle; }
  // The handle's rectangle for the current value (window pixels).
  CRect getHandleRect() const;

 protected:
  bool horizontal() const { return (style & kHorizontal) != 0; }
  bool inverted() const { return (style & (kRight | kBottom)) != 0; }

  CPoint offset;
  CPoint offsetHandle;
  CBitmap* pHandle = nullptr;
  int32_t style;
  CCoord widthOfSlider = 1;
  CCoord heightOfSlider = 1;
  CCoord handleMin;
  CCoord rangeHandle;
  float zoomFactor = 10.0f;
  bool bDrawTransparentEnabled = true;
};

// Background and handle bitmaps are always blended by their alpha; the transparency switches are kept for
// the editor's settings.
class CVerticalSlider : public CSlider {
 public:
  CVerticalSlider(const CRect& size, CControlListener* listener, int32_t tag, CCoord handleMin, CCoord handleMax,
                  CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(0, 0), int32_t style = kBottom);
};

class CHorizontalSlider : public CSlider {
 public:
  CHorizontalSlider(const CRect& size, CControlListener* listener, int32_t tag, CCoord handleMin, CCoord handleMax,
                    CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(0, 0), int32_t style = kRight);
};

}  // namespace tarnwick::gui
