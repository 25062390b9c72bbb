// The window system under the editor: a child window that shows the toolkit's pixels, reports the mouse
// and keys and opens popup surfaces for menus; also the toolkit's own top-level windows (message boxes). Backends:
// OffscreenWindow (no window system; tests script the mouse), X11Window (Linux hosts) and Win32Window (Windows).
//
// Contract for a backend, all on the user-interface thread:
//  - Coordinates are pixels of the editor window, origin at its top left, also while the mouse is over a
//    popup surface or outside the window (they may be negative or beyond the window's size).
//  - Button and modifier bits: left 1, middle 2, right 4, Shift 8, Ctrl 16, Alt 32, Apple (Command) 64.
//  - dispatchEvents() is called from the editor's idle; it must not block. It delivers a mouse-down (a
//    button that was up goes down) and a key press to the listener, updates the mouse state for motion
//    and releases, and re-presents exposed areas through windowExposed.
//  - pumpModal() is called once per pass of a modal loop (a drag, an open popup menu). It waits a short
//    while for input (a backend with a real window: up to ~15 ms, so the loop does not spin), updates the
//    mouse state and keeps the windows painted, but delivers no mouse-down to the listener: the loop reads
//    mouseState() itself. It returns false when the loop must end at once (the window is going away, or
//    the user pressed Escape); a drag then ends as if released and a popup menu is cancelled. Other keys
//    pressed during a modal pass are dropped.
//  - A popup surface is a borderless top-level surface above everything (an override-redirect window on
//    X11) placed at a position in window coordinates. While any popup is open the backend grabs the
//    pointer, so clicks outside every surface still reach the modal loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::platform {

enum MouseBits : int32_t {
  kMouseLeft = 1,
  kMouseMiddle = 2,
  kMouseRight = 4,
  kModifierShift = 8,
  kModifierControl = 16,
  kModifierAlt = 32,
  kModifierApple = 64,
};
constexpr int32_t kMouseButtonBits = kMouseLeft | kMouseMiddle | kMouseRight;

struct MouseState {
  int32_t x = 0;
  int32_t y = 0;
  int32_t buttons = 0;  // MouseBits
};

// Keys that have no character. The numbers are VST 2.4's virtual keys, so that a host's key event
// (effEditKeyDown) passes through unchanged.
enum VirtualKey : int32_t {
  kKeyBack = 1,  // Backspace
  kKeyTab = 2,
  kKeyReturn = 4,
  kKeyEscape = 6,
  kKeySpace = 7,
  kKeyNext = 8,  // what some hosts send for Page Down
  kKeyEnd = 9,
  kKeyHome = 10,
  kKeyLeft = 11,
  kKeyUp = 12,
  kKeyRight = 13,
  kKeyDown = 14,
  kKeyPageUp = 15,
  kKeyPageDown = 16,
  kKeyEnter = 19,  // the keypad's Enter
  kKeyDelete = 22,
};

// Modifier bits of a key event, VST 2.4's as well.
enum KeyModifiers : int32_t {
  kKeyModifierShift = 1,
  kKeyModifierAlt = 2,
  kKeyModifierCommand = 4,  // the Control key on macOS
  kKeyModifierControl = 8,  // Ctrl on Linux and Windows, Command on macOS
};

// A key press: the character it types (a Unicode code point, 0 for none) and / or a VirtualKey (0 for
// none), with KeyModifiers bits.
struct KeyEvent {
  int32_t character = 0;
  int32_t virtualKey = 0;
  int32_t modifiers = 0;
};

// Files dragged onto the window from another program (a file manager): the local files' paths (UTF-8) in
// the order the source gave them, and the first item that names no local file (a remote address) as the
// source gave it.
struct FileDrag {
  std::vector<std::string> paths;
  std::string other;
};

// Implemented by the frame.
class EditorWindowListener {
 public:
  virtual ~EditorWindowListener() = default;
  // A button went down at state (state.buttons holds every button and modifier now down).
  virtual void windowMouseDown(const MouseState& state) = 0;
  // Part of the window must be shown again: the listener presents it from its pixels.
  virtual void windowExposed(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
  // A key was pressed while the window had the keyboard (outside modal passes).
  virtual void windowKeyDown(const KeyEvent& /*key*/) {}
  // The user asked the window manager to close a top-level window (its close button).
  virtual void windowCloseRequested() {}
  // The mouse wheel turned at (x, y) outside modal passes: steps > 0 away from the user (up), < 0 down.
  virtual void windowWheel(int32_t /*x*/, int32_t /*y*/, int32_t /*steps*/) {}
  // Files are dragged over (x, y) outside modal passes: true when a drop there would be taken (the pointer
  // then says so). X11 asks at every move; Windows asks nothing before the drop.
  virtual bool windowDragOver(const FileDrag& /*drag*/, int32_t /*x*/, int32_t /*y*/) { return false; }
  // Files were dropped at (x, y) outside modal passes (a drop during a modal pass is refused). Also after
  // windowDragOver said no, where the window system asks nothing before: the listener refuses it then.
  virtual void windowDrop(const FileDrag& /*drag*/, int32_t /*x*/, int32_t /*y*/) {}
};

// Where a popup is to go, in window coordinates. It opens at (x, y) where it fits on the screen; where it
// would cross an edge of the screen there, at altX (a submenu: left of its list) or altY (a list: above the
// control that opened it) when the popup fits there; a popup that fits neither way is moved just enough to
// stay on the screen.
struct PopupPlace {
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t altX = 0, altY = 0;
  // No other place than (x, y).
  static PopupPlace at(int32_t x, int32_t y, int32_t width, int32_t height) { return {x, y, width, height, x, y}; }
};

// For the backends: the top left on the screen of a popup `place` in a window whose top left lies at
// (originX, originY) on a screen area from (left, top) to (right, bottom), exclusive.
void placePopup(const PopupPlace& place, int32_t originX, int32_t originY, int32_t left, int32_t top, int32_t right,
                int32_t bottom, int32_t& screenX, int32_t& screenY);

// A borderless surface for a popup menu; destroying it closes it.
class PopupSurface {
 public:
  virtual ~PopupSurface() = default;
  // Where the surface lies in window coordinates; a backend may move it to keep it on the screen.
  virtual int32_t x() const = 0;
  virtual int32_t y() const = 0;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
  // Shows width() × height() pixels (0xAARRGGBB, alpha ignored), `stride` pixels from row to row.
  virtual void present(const uint32_t* pixels, int32_t stride) = 0;
};

class EditorWindow {
 public:
  virtual ~EditorWindow() = default;
  virtual void setListener(EditorWindowListener* listener) = 0;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
  // Shows the part (x, y, w, h) of a window-sized pixel buffer (0xAARRGGBB, alpha ignored) that starts at
  // `pixels` (the window's top left) with `stride` pixels from row to row.
  virtual void present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) = 0;
  virtual void dispatchEvents() = 0;
  virtual bool pumpModal() = 0;
  virtual MouseState mouseState() const = 0;
  // Takes a new size in pixels (the editor's scale changed); what it shows is presented anew afterwards.
  virtual void resize(int32_t /*width*/, int32_t /*height*/) {}
  // Waits until the window system has carried out everything asked of it so far (what it shows, grabs,
  // closed popups); for whoever compares the screen with the pixels presented.
  virtual void sync() {}
  // Asks for the keyboard, so that keys reach this window and not the host's (a view that takes typing
  // was shown or clicked). The window system may refuse; keys forwarded by the host still arrive.
  virtual void takeKeyboardFocus() {}
  // Hands the keyboard back to where it was before takeKeyboardFocus (the view that took typing is gone).
  virtual void releaseKeyboardFocus() {}
  // The host's top-level window around this one, which other programs' windows started for the editor
  // (the desktop's file dialog) belong to: an X11 window id or an HWND; 0 when there is none.
  virtual uintptr_t dialogOwner() { return 0; }
  // The window itself for a host that embeds it by its id (an X11 window id or an HWND); 0 for a window
  // no window system knows (offscreen).
  virtual uintptr_t nativeHandle() const { return 0; }
  // For the toolkit's own modal windows: waits until input may be pending or the time is up. False when
  // nothing will ever arrive again (the window is gone, a test script is used up): the loop must end.
  virtual bool waitForEvents(int32_t milliseconds) = 0;
  // A popup placed as `place` says; null when none can be made.
  virtual std::unique_ptr<PopupSurface> openPopup(const PopupPlace& place) = 0;
  // A popup of width × height at (x, y) in window coordinates, moved only to stay on the screen.
  std::unique_ptr<PopupSurface> openPopup(int32_t x, int32_t y, int32_t width, int32_t height) {
    return openPopup(PopupPlace::at(x, y, width, height));
  }
};

// The window for an editor of width × height as a child of the host's parent window (an X11 window id or
// an HWND), made by this platform's window-system backend. Null when that fails (no display, no such
// parent, no backend for this platform): the editor then does not open. A null parent gives an
// OffscreenWindow.
std::unique_ptr<EditorWindow> createEditorWindow(void* parent, int32_t width, int32_t height);
// An editor window without any window system, whatever the platform (headless use).
std::unique_ptr<EditorWindow> createOffscreenEditorWindow(int32_t width, int32_t height);
// A top-level window of width × height of the toolkit's own (a message box), centred on the screen, with
// the UTF-8 title for the window manager; its close button reaches windowCloseRequested. Null when there
// is no window system (no display can be opened) or it refuses the window.
std::unique_ptr<EditorWindow> createTopLevelWindow(int32_t width, int32_t height, const char* title);

}  // namespace tarnwick::platform
