// What the UI binary (and a tool that holds the instance) finds behind the LV2 instance handle: the
// handle points at an InstanceAccess, whose editor is the instance's editor. Both sides call only
// through these virtual functions, so every line of the editor runs in the plug-in binary that made it,
// with its own copy of the toolkit. Plain layout; bump kInstanceAccessVersion on any change.
#pragma once

#include <cstdint>

namespace tarnwick::lv2 {

// Where the editor's parameter changes go: the UI's port writes and touch gestures. [ui-thread]
class EditorPort {
 public:
  virtual void writeParameter(int32_t index, float value) = 0;
  virtual void touch(int32_t index, bool grabbed) = 0;
  // The editor's window took a new size (in pixels).
  virtual void resized(int32_t width, int32_t height) = 0;

 protected:
  ~EditorPort() = default;
};

// The instance's editor. [ui-thread]
class EditorAccess {
 public:
  // Opens the editor in the host's parent window (an X11 window id) at the host's scale (0: none given);
  // false, with the open editor left as it is, when it cannot (one is open already). Its changes go to
  // port until closeEditor.
  virtual bool openEditor(uintptr_t parent, double scale, EditorPort* port) = 0;
  // The open editor's own window id, 0 while closed.
  virtual uintptr_t editorWindow() = 0;
  virtual void editorSize(int32_t& width, int32_t& height) = 0;
  // Delivers the window's input and draws; false once the editor is gone.
  virtual bool idleEditor() = 0;
  virtual void closeEditor() = 0;
  // The host's scale for the editor (1 = 100 %), 0 when the host gives none.
  virtual void setEditorScale(double scale) = 0;
  // The headless editor probe (core/EditorProbe.h): command and record as there.
  virtual intptr_t probeEditor(int32_t command, void* record) = 0;
  // How the last recording load went, for tools: whether one was tried, its storage result (0: loaded)
  // and that result's text (zero-terminated, cut to capacity).
  virtual void recordingStatus(int32_t& attempted, int32_t& result, char* message, int32_t capacity) = 0;

 protected:
  ~EditorAccess() = default;
};

inline constexpr uint32_t kInstanceAccessMagic = 0x54774c32;  // 'TwL2'
inline constexpr uint32_t kInstanceAccessVersion = 1;

struct InstanceAccess {
  uint32_t magic = kInstanceAccessMagic;
  uint32_t version = kInstanceAccessVersion;
  EditorAccess* editor = nullptr;
};

// The editor behind an instance handle from the host, or null when the handle is not one of ours.
inline EditorAccess* editorBehind(void* handle) {
  const auto* access = static_cast<const InstanceAccess*>(handle);
  if (access == nullptr || access->magic != kInstanceAccessMagic || access->version != kInstanceAccessVersion) {
    return nullptr;
  }
  return access->editor;
}

}  // namespace tarnwick::lv2
