// Controls: views with a tag and a value that report user changes to a listener.
#pragma once

#include <cstdint>

#include "gui/CView.h"

namespace tarnwick::gui {

class CControl;

// Receives every user change of the controls it listens to. [ui-thread]
class CControlListener {
 public:
  virtual ~CControlListener() = default;
  virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
  // A click with Shift, Ctrl, Alt or Apple held; a nonzero answer means the listener took it and the
  // control does nothing more.
  virtual int32_t controlModifierClicked(CDrawContext* /*context*/, CControl* /*control*/, int32_t /*button*/) {
    return 0;
  }
};

// A control is dirty while its value differs from the value it last drew, or when marked dirty.
class CControl : public CView {
 public:
  CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0, CBitmap* background = nullptr);

  // Stores the value (NaN is ignored); the control is redrawn at the next idle if it changed.
  // Never allocates. [ui-thread]
  virtual void setValue(float val);
  float getValue() const { return value; }
  void setMin(float val) { vmin = val; }
  float getMin() const { return vmin; }
  void setMax(float val) { vmax = val; }
  float getMax() const { return vmax; }
  // The value that Ctrl + left click restores; 0.5 unless set.
  void setDefaultValue(float val) { defaultValue = val; }
  float getDefaultValue() const { return defaultValue; }
  void setTag(int32_t val) { tag = val; }
  int32_t getTag() const { return tag; }
  void setListener(CControlListener* val) { listener = val; }
  CControlListener* getListener() const { return listener; }

  bool isDirty() const override;
  void setDirty(bool dirty = true) override;

  // Limits the value to min..max.
  virtual void bounceValue();
  // On exactly Ctrl + left button: begin an edit, take the default value, report it if that changed the
  // value, end the edit, and answer true. Otherwise false.
  virtual bool checkDefaultValue(CDrawContext* context, int32_t button);
  // Tell the editor (and through it the host) that the user starts or ends changing this tag.
  void beginEdit();
  void endEdit();
  // One pass of the frame's modal work during a drag: window input, drawing of dirty views, host idle.
  // A drag loop calls it and then reads the mouse location, so each pass works with the position the
  // window has just delivered.
  void doIdleStuff();

 protected:
  CControlListener* listener;
  int32_t tag;
  float value = 0.0f;
  float oldValue = 0.0f;  // the value last drawn
  float defaultValue = 0.5f;
  float vmin = 0.0f;
  float vmax = 1.0f;
};

}  // namespace tarnwick::gui
