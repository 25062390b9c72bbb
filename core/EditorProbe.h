// The headless editor probe: opens the instrument's editor on an offscreen window, drives its mouse, runs
// its idle and reads its pixels without any display. Each format offers it its own way (the VST plug-in
// as a private vendor request, the LV2 plug-in through instance access). Protocol in docs/editor-probe.md.
// Plain layout, shared with tools/host; bump the version on any change.
#pragma once

#include <cstdint>

namespace tarnwick {

namespace platform {
class OffscreenWindow;
}
class EditorLink;

inline constexpr int32_t kEditorProbeVersion = 2;
// Records of version 1 (without the fields from path on) are still taken for the commands 1..5.
inline constexpr int32_t kEditorProbeFirstVersion = 1;

enum EditorProbeCommand : int32_t {
  kProbeOpen = 1,     // open the editor on an offscreen window (an open editor is closed first); answers the size
  kProbeMouse = 2,    // queue one mouse state (x, y, buttons): a press where buttons go down, a move or a release
  kProbeIdle = 3,     // run the editor's idle `count` times (1..1000): queued mouse states are delivered there
  kProbeRead = 4,     // copy the window's width × height pixels (0xAARRGGBB, rows from the top) into pixels
  kProbeClose = 5,    // close the editor
  kProbeDrop = 6,     // queue a drop of the file at path (UTF-8) at (x, y), as a file manager's; delivered by idle
  kProbeStatus = 7,   // copy the status line's text (UTF-8, zero-terminated) into text
  kProbeLoading = 8,  // count: the percent a recording loading from the editor has come, -1 when none loads
};

struct EditorProbeRecord {
  int32_t version = kEditorProbeVersion;
  int32_t x = 0;  // kProbeMouse: window pixels
  int32_t y = 0;
  int32_t buttons = 0;  // kProbeMouse: left 1, middle 2, right 4, Shift 8, Ctrl 16, Alt 32, Apple 64
  int32_t count = 0;    // kProbeIdle; answered by kProbeLoading
  int32_t width = 0;    // answered by kProbeOpen and kProbeRead
  int32_t height = 0;
  int32_t pixelCapacity = 0;   // kProbeRead: pixels the buffer holds (at least width × height)
  uint32_t* pixels = nullptr;  // kProbeRead
  // Version 2.
  const char* path = nullptr;  // kProbeDrop
  char* text = nullptr;        // kProbeStatus: textCapacity bytes (at least the text and its zero)
  int32_t textCapacity = 0;
};

// Runs the probe's commands on one instrument's editor. [ui-thread]
class EditorProbe {
 public:
  // One command; 1 when done, 0 otherwise (a wrong version, no window open, a bad count).
  intptr_t run(EditorLink& link, int32_t command, EditorProbeRecord* record);
  // The editor was opened or closed another way: the probe's window is gone.
  void forget() { window_ = nullptr; }

 private:
  platform::OffscreenWindow* window_ = nullptr;  // owned by the editor's frame while the probe has it open
};

}  // namespace tarnwick
