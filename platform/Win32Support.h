// What the Win32 editor window, its popups and the toolkit's top-level windows share: the module's window
// class, the window procedure that hands messages to their objects, pixels kept for WM_PAINT and the state
// an editor window shares with its popups.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <vector>

namespace tarnwick::platform::win32 {

class Win32Popup;

// [ui-thread] An object behind a window of the module's class; the window procedure calls it.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// [ui-thread] A window of the module's class for `target` (which gets every message from WM_NCCREATE on until
// detach); null when Windows refuses it. The class is registered with the first such window and unregistered
// when the last is released (a DLL must leave no class of its own behind when the host unloads it).
HWND createWindow(MessageTarget* target, DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                  const wchar_t* title);
// Ends what createWindow began: stops messages reaching the target and destroys the window, then releases
// the class. `window` is null when Windows destroyed it already (with the host's parent window, say); call
// once for each window createWindow made.
void destroyWindow(HWND window);

// The pixels a window showed last, painted again on WM_PAINT without asking anyone.
class Pixels {
 public:
  void reset(int32_t width, int32_t height, uint32_t fill);
  // Copies the part (x, y, w, h), clipped to the window, of a window-sized buffer with `stride` pixels a row.
  void copy(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h);
  // Paints the part (clipped) on dc, whose origin is the window's top left.
  void paint(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h) const;
  void paint(HDC dc, const RECT& r) const { paint(dc, r.left, r.top, r.right - r.left, r.bottom - r.top); }
  // Answers WM_PAINT for `window`: paints its invalid part and validates it.
  void paintInvalid(HWND window) const;

 private:
  std::vector<uint32_t> pixels_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// What an editor window and its popups share; lives as long as any of them.
struct Session {
  HWND window = nullptr;      // the editor's window; null once destroyed (by us or with the host's parent)
  bool windowClosed = false;  // the editor window's object is gone
  std::vector<Win32Popup*> popups;
  int32_t heldButtons = 0;  // mouse buttons down as the messages so far tell
  HWND focusBeforePopups = nullptr;
  bool popupCancelled = false;  // another window took the mouse capture while a popup was open

  bool usable() const { return !windowClosed && window != nullptr; }
  // The mouse is captured while a button is held or a popup is open, so that the editor window sees every
  // move and click, outside it too, in its own coordinates.
  void updateCapture() const;
};

}  // namespace tarnwick::platform::win32
