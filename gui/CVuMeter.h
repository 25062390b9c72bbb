// Level meter: LEDs lit from an "on" bitmap over an "off" bitmap, falling back slowly.
#pragma once

#include "gui/CControl.h"
#include "gui/CSlider.h"

namespace tarnwick::gui {

// The shown level follows rises at once and falls by the decrease step per drawing, never below the value.
// lit = trunc(nbLed × shown + 0.5) LEDs are lit: vertically from the bottom, the top
// (nbLed - lit) × height / nbLed rows show the off bitmap and the rest the on bitmap (horizontally from
// the left, lit × width / nbLed columns on). The meter stays dirty while it is still falling.
class CVuMeter : public CControl {
 public:
  CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, int32_t nbLed, int32_t style = kVertical);
  ~CVuMeter() override;

  void draw(CDrawContext* context) override;
  bool isDirty() const override;

  void setDecreaseStepValue(float val) { decreaseValue = val > 0.0f ? val : 0.0f; }
  float getDecreaseStepValue() const { return decreaseValue; }
  void setNbLed(int32_t val);
  int32_t getNbLed() const { return nbLed; }
  float getShownValue() const { return shownValue; }
  int32_t getLitLeds() const;  // for the shown value
  void setOnBitmap(CBitmap* bitmap);
  void setOffBitmap(CBitmap* bitmap);

 protected:
  CBitmap* onBitmap = nullptr;
  CBitmap* offBitmap = nullptr;
  int32_t nbLed;
  int32_t style;
  float decreaseValue = 0.1f;
  float shownValue = 0.0f;
};

}  // namespace tarnwick::gui
