// Views: rectangles in the frame that draw themselves and may take the mouse and keys.
#pragma once

#include <cstdint>

#include "gui/CDrawContext.h"
#include "gui/CGeometry.h"
#include "gui/CReferenceCounter.h"
#include "platform/EditorWindow.h"

namespace tarnwick::gui {

class AEffGUIEditor;
class CBitmap;
class CFrame;

// A key press: a Unicode character and / or a virtual key (platform::VirtualKey, VST 2.4's numbers) with
// platform::KeyModifiers bits.
using KeyEvent = platform::KeyEvent;

// [ui-thread] Every view and control. Nothing here may be touched from another thread.
//
// Drawing is deferred: changing a view marks it dirty, and the frame draws dirty views at the next idle
// (together with whatever lies beneath and above them). draw() is only ever called by the frame, with the
// frame's context clipped to the area being redrawn.
class CView : public CReferenceCounter {
 public:
  explicit CView(const CRect& size);
  ~CView() override;

  // Draws the background bitmap (from its top-left pixel) into the view's rectangle.
  virtual void draw(CDrawContext* context);
  // A mouse-down inside the view. buttons is the button and modifier state, or -1 to read it from the context.
  virtual void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1);
  // Whether a mouse-down at where belongs to this view: inside the mouseable area, edges included.
  virtual bool hitTest(const CPoint& where, int32_t buttons = -1);
  // A key press; the frame gives keys to its modal view only. True when the view used the key.
  virtual bool onKeyDown(const KeyEvent& /*key*/) { return false; }
  // The mouse wheel over the view (the modal view takes every step): steps > 0 up, < 0 down.
  virtual bool onWheel(const CPoint& /*where*/, int32_t /*steps*/) { return false; }
  // A view that takes typing: the frame asks the window system for the keyboard while it is the modal view.
  virtual bool wantsKeys() const { return false; }

  virtual bool isDirty() const { return bDirty; }
  virtual void setDirty(bool dirty = true) { bDirty = dirty; }
  // Both only mark the view dirty: it is drawn at the frame's next idle.
  void invalid() { setDirty(true); }
  void redraw() { setDirty(true); }

  virtual void setMouseEnabled(bool enabled) { bMouseEnabled = enabled; }
  bool getMouseEnabled() const { return bMouseEnabled; }
  // A transparent view lets the background and the views beneath show where its pixels are transparent.
  virtual void setTransparency(bool transparent);
  bool getTransparency() const { return bTransparencyEnabled; }

  // The view keeps its own reference to the bitmap (null removes it); marks the view dirty.
  virtual void setBackground(CBitmap* background);
  CBitmap* getBackground() const { return pBackground; }

  const CRect& getViewSize() const { return size; }
  void getViewSize(CRect& rect) const { rect = size; }
  // Moves or resizes the view; the mouseable area follows. Both the old and new places are redrawn.
  virtual void setViewSize(const CRect& rect);
  const CRect& getMouseableArea() const { return mouseableArea; }
  void getMouseableArea(CRect& rect) const { rect = mouseableArea; }
  void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
  CCoord getWidth() const { return size.width(); }
  CCoord getHeight() const { return size.height(); }

  CFrame* getFrame() const { return pParentFrame; }
  // The editor that owns the frame (null outside a frame).
  AEffGUIEditor* getEditor() const;

  // Called by the frame when the view is added to or removed from it.
  virtual void attached(CFrame* frame) { pParentFrame = frame; }
  virtual void removed(CFrame* /*frame*/) { pParentFrame = nullptr; }

 protected:
  CRect size;
  CRect mouseableArea;
  CFrame* pParentFrame = nullptr;
  CBitmap* pBackground = nullptr;
  bool bDirty = true;
  bool bMouseEnabled = true;
  bool bTransparencyEnabled = false;
};

}  // namespace tarnwick::gui
