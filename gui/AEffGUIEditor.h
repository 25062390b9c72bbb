// The editor base classes and the small interface through which an editor reaches its instrument.
#pragma once

#include <cstdint>

#include "gui/CGeometry.h"

namespace tarnwick::gui {

class CFrame;

// The editor window's extent as a host asks for it, in pixels.
struct EditorRect {
  int16_t top, left, bottom, right;
};

// What the toolkit and an editor need of the instrument; the plug-in implements it.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  // Sets the parameter and tells the host (automation). [ui-thread]
  virtual void setParameterAutomated(int32_t index, float value) = 0;
  // Sets the parameter without telling the host. [ui-thread]
  virtual void setParameter(int32_t index, float value) = 0;
  virtual float getParameter(int32_t index) = 0;
  // The user starts / stops changing a parameter (the host's begin/end edit). [ui-thread]
  virtual void beginEdit(int32_t index) = 0;
  virtual void endEdit(int32_t index) = 0;
  // Lets the host run its own idle work during a modal loop (the host's idle request). [ui-thread]
  virtual void idleHost() = 0;
  // The editor's window now has this size in pixels (its scale changed): the host makes room for it.
  // False when the host did not answer. [ui-thread]
  virtual bool sizeWindow(int32_t /*width*/, int32_t /*height*/) { return false; }
};

// Knob modes: how a drag turns a knob.
enum CKnobMode : int32_t { kCircularMode = 0, kRelativCircularMode, kLinearMode };

// The host-facing editor: the operations a plug-in forwards from the host's editor requests.
class AEffEditor {
 public:
  explicit AEffEditor(EditorHost* effect) : effect(effect) {}
  AEffEditor(const AEffEditor&) = delete;
  AEffEditor& operator=(const AEffEditor&) = delete;
  virtual ~AEffEditor() = default;

  virtual EditorHost* getEffect() { return effect; }
  virtual bool getRect(EditorRect** rect) {
    *rect = nullptr;
    return false;
  }
  // ptr is the host's parent window.
  virtual bool open(void* ptr) {
    systemWindow = ptr;
    opened = true;
    return false;
  }
  virtual void close() {
    systemWindow = nullptr;
    opened = false;
  }
  virtual bool isOpen() { return opened; }
  virtual void idle() {}
  // Keys from the host (character, virtual key, modifier bits); unhandled by default.
  virtual bool onKeyDown(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) { return false; }
  virtual bool onKeyUp(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) { return false; }
  virtual bool onWheel(float /*distance*/) { return false; }
  virtual bool setKnobMode(int32_t /*mode*/) { return false; }

 protected:
  EditorHost* effect;
  void* systemWindow = nullptr;
  bool opened = false;
};

// The toolkit editor. A subclass builds its CFrame in open() and destroys it in close().
// [ui-thread] All of it. An instrument that writes parameters from another thread must not call into the
// editor's controls there: see setParameter.
class AEffGUIEditor : public AEffEditor {
 public:
  explicit AEffGUIEditor(EditorHost* effect) : AEffEditor(effect) {}
  ~AEffGUIEditor() override;

  bool getRect(EditorRect** ppRect) override;
  // Records the parent window; the subclass then makes the frame on it.
  bool open(void* ptr) override;
  // Destroys a frame the subclass left behind.
  void close() override;
  // Delivers window input and draws what is dirty (the frame's idle).
  void idle() override;
  // A key the host forwards (effEditKeyDown: character, VST virtual key, VST modifier bits) goes to the
  // frame's modal view; true when that used it (the host then does not act on it itself).
  bool onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) override;
  bool setKnobMode(int32_t mode) override;
  int32_t getKnobMode() const { return knobMode; }

  // The instrument passes every parameter write here. A subclass reached from other threads must only
  // store the value (atomically) and apply it to its controls in idle.
  virtual void setParameter(int32_t /*index*/, float /*value*/) {}
  virtual void beginEdit(int32_t index);
  virtual void endEdit(int32_t index);
  // The host's idle during a modal loop; guarded against the host calling back into idle meanwhile.
  void doIdleStuff();
  CFrame* getFrame() const { return frame; }
  // The open window's id for a host that embeds it (X11 window id or HWND); 0 while closed or offscreen.
  uintptr_t windowHandle() const;

 protected:
  // Once per pass of a modal loop (a drag, a held click, a menu), before the host's idle: a subclass
  // refreshes what the window shows of the instrument's live state, which its own idle cannot meanwhile.
  virtual void modalIdle() {}

  EditorRect rect{};
  CFrame* frame = nullptr;
  int32_t knobMode = kCircularMode;
  bool inIdleStuff = false;
};

}  // namespace tarnwick::gui
