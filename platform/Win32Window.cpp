// Win32 editor window: a child window (or a top-level window of the toolkit's own) whose window procedure
// queues input and paints the kept pixels; the queue reaches the listener on the host's idle and in modal
// loops, which read only our own windows' messages.
#include "platform/Win32Window.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <string>
#include <utility>

#include "platform/Paths.h"
#include "platform/Win32Keys.h"
#include "platform/Win32Popup.h"
#include "platform/Win32Support.h"

namespace tarnwick::platform {

namespace {

using win32::Session;
using win32::Win32Popup;

constexpr DWORD kModalWaitMs = 15;
constexpr int kMaxEventsPerPass = 256;  // a flood of motion must not hold the host's idle
constexpr size_t kMaxQueued = 1024;     // input nobody reads (a host that never idles) is dropped beyond this
constexpr int32_t kMaxSurfaceSide = 16384;
constexpr uint32_t kUnpainted = 0xF0F0F0u;  // until the first present

int32_t mouseBits(WPARAM flags) {
  int32_t bits = 0;
  if (flags & MK_LBUTTON) bits |= kMouseLeft;
  if (flags & MK_MBUTTON) bits |= kMouseMiddle;
  if (flags & MK_RBUTTON) bits |= kMouseRight;
  if (flags & MK_SHIFT) bits |= kModifierShift;
  if (flags & MK_CONTROL) bits |= kModifierControl;
  if (GetKeyState(VK_MENU) & 0x8000) bits |= kModifierAlt;
  return bits;
}

int32_t signedLow(LPARAM value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }
int32_t signedHigh(LPARAM value) { return static_cast<int16_t>(static_cast<uint16_t>((value >> 16) & 0xFFFF)); }

std::wstring wideOf(const char* utf8) {
  const int count = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (count <= 0) return L"";
  std::wstring text(static_cast<size_t>(count), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text.data(), count);
  text.resize(static_cast<size_t>(count - 1));
  return text;
}

class Win32Window final : public EditorWindow, public win32::MessageTarget {
 public:
  Win32Window(int32_t width, int32_t height, bool topLevel)
      : session_(std::make_shared<Session>()), width_(width), height_(height), topLevel_(topLevel) {
    pixels_.reset(width, height, kUnpainted);
  }
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  bool open(HWND parent);
  bool openTopLevel(const char* title);

  ~Win32Window() override {
    Session& s = *session_;
    s.windowClosed = true;
    if (created_) win32::destroyWindow(s.window);
    s.window = nullptr;
  }

  void setListener(EditorWindowListener* listener) override { listener_ = listener; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  uintptr_t nativeHandle() const override { return reinterpret_cast<uintptr_t>(session_->window); }

  void present(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) override {
    Session& s = *session_;
    if (!s.usable() || stride < width_) return;
    pixels_.copy(pixels, stride, x, y, w, h);
    if (HDC dc = GetDC(s.window)) {
      pixels_.paint(dc, x, y, w, h);
      ReleaseDC(s.window, dc);
    }
  }

  void resize(int32_t width, int32_t height) override {
    Session& s = *session_;
    if (!s.usable() || width <= 0 || height <= 0) return;
    if (!SetWindowPos(s.window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) return;
    width_ = width;
    height_ = height;
    pixels_.reset(width, height, kUnpainted);
  }

  void dispatchEvents() override;
  bool pumpModal() override;

  // The state the messages read so far tell, as on X11: a loop that runs on a press sees the press even when
  // its release is already queued, and then each later state in turn.
  MouseState mouseState() const override {
    if (!session_->usable()) return {mouse_.x, mouse_.y, 0};
    return mouse_;
  }

  void sync() override {
    GdiFlush();
    if (session_->usable()) UpdateWindow(session_->window);
    for (Win32Popup* popup : session_->popups) UpdateWindow(popup->handle());
  }

  void takeKeyboardFocus() override {
    Session& s = *session_;
    if (!s.usable()) return;
    HWND focus = GetFocus();
    if (!wantsFocus_ && focus != s.window) previousFocus_ = focus;
    wantsFocus_ = true;
    if (focus != s.window) SetFocus(s.window);  // refused for a window of another thread's host: keys still come
  }

  // The keyboard goes back where it was before takeKeyboardFocus, unless the user moved it meanwhile.
  void releaseKeyboardFocus() override {
    Session& s = *session_;
    if (!wantsFocus_ || !s.usable()) return;
    wantsFocus_ = false;
    if (GetFocus() == s.window && previousFocus_ != nullptr && IsWindow(previousFocus_)) SetFocus(previousFocus_);
    previousFocus_ = nullptr;
  }

  uintptr_t dialogOwner() override {
    if (!session_->usable()) return 0;
    return reinterpret_cast<uintptr_t>(GetAncestor(session_->window, GA_ROOT));
  }

  bool waitForEvents(int32_t milliseconds) override {
    if (!session_->usable()) return false;
    if (closePending_ || !queue_.empty()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max(milliseconds, 0)), QS_ALLINPUT);
    return session_->usable();
  }

  using EditorWindow::openPopup;
  std::unique_ptr<PopupSurface> openPopup(const PopupPlace& place) override;

  LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Input {
    enum class Kind { pointer, press, release, wheel, key, drop } kind;
    MouseState mouse;
    KeyEvent key;
    int32_t wheelSteps;
  };

  bool queue(const Input& input) {
    // Moves in a row are one move: the loops want where the mouse is, not each step it took.
    if (input.kind == Input::Kind::pointer && !queue_.empty() && queue_.back().kind == Input::Kind::pointer) {
      queue_.back() = input;
    } else if (queue_.size() < kMaxQueued) {
      queue_.push_back(input);
    } else {
      return false;
    }
    return true;
  }
  // The shell's drop (DragAcceptFiles): the files and the place go to the queue, for dispatchEvents.
  void queueDrop(HDROP drop);
  void queueMouse(Input::Kind kind, const MouseState& mouse) { queue({kind, mouse, {}, 0}); }
  // Dispatches what is queued for our own windows (never another window's messages: those are the host's).
  void pumpOwnMessages();
  // Reads queued input, but a button going down or up ends the pass: the modal loop then sees the position
  // the mouse had before it (moves are merged) and the button change in a pass of its own.
  void drainModal(bool& escape);
  MouseState cursorState() const;

  std::shared_ptr<Session> session_;
  EditorWindowListener* listener_ = nullptr;
  int32_t width_;
  int32_t height_;
  bool topLevel_;
  bool created_ = false;
  win32::Pixels pixels_;
  win32::KeyTranslator keys_;
  std::deque<Input> queue_;     // filled by the window procedure, read by dispatchEvents and pumpModal
  std::deque<FileDrag> drops_;  // the files of each queued drop, in order
  MouseState mouse_;            // as the input read so far tells
  bool trackingLeave_ = false;
  int wheelRemainder_ = 0;     // a high-resolution wheel turns in parts of a step
  bool closePending_ = false;  // the close button
  bool wantsFocus_ = false;
  HWND previousFocus_ = nullptr;  // before takeKeyboardFocus
};

bool Win32Window::open(HWND parent) {
  Session& s = *session_;
  s.window =
      win32::createWindow(this, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, width_, height_, parent, L"Tarnwick");
  created_ = s.window != nullptr;
  if (!created_) return false;
  DragAcceptFiles(s.window, TRUE);  // files from the shell arrive as WM_DROPFILES
  mouse_ = cursorState();
  UpdateWindow(s.window);
  return true;
}

void Win32Window::queueDrop(HDROP drop) {
  FileDrag drag;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    if (DragQueryFileW(drop, i, name.data(), length + 1) == 0) continue;
    name.resize(length);
    drag.paths.push_back(utf8FromPath(std::filesystem::path(name)));
  }
  POINT at{0, 0};
  DragQueryPoint(drop, &at);  // client coordinates of the window that took the drop
  DragFinish(drop);
  if (drag.paths.empty()) return;
  if (queue({Input::Kind::drop, {at.x, at.y, mouse_.buttons}, {}, 0})) drops_.push_back(std::move(drag));
}

bool Win32Window::openTopLevel(const char* title) {
  Session& s = *session_;
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, width_, height_};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const int outerW = frame.right - frame.left, outerH = frame.bottom - frame.top;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + std::max(0, (static_cast<int>(work.right - work.left) - outerW) / 2);
  const int y = work.top + std::max(0, (static_cast<int>(work.bottom - work.top) - outerH) / 2);
  const std::wstring caption = wideOf(title);
  s.window = win32::createWindow(this, WS_EX_DLGMODALFRAME, kStyle, x, y, outerW, outerH, nullptr, caption.c_str());
  created_ = s.window != nullptr;
  if (!created_) return false;
  ShowWindow(s.window, SW_SHOW);
  SetForegroundWindow(s.window);
  mouse_ = cursorState();
  UpdateWindow(s.window);
  return true;
}

MouseState Win32Window::cursorState() const {
  POINT at{};
  if (!session_->usable() || !GetCursorPos(&at) || !ScreenToClient(session_->window, &at)) return mouse_;
  return {at.x, at.y, session_->heldButtons};
}

void Win32Window::dispatchEvents() {
  const std::shared_ptr<Session> keep = session_;  // the listener may destroy this window
  // An editor child's messages come through the host's loop, which may act on keys first (its shortcuts);
  // nobody else reads a top-level window's.
  if (topLevel_) pumpOwnMessages();
  for (int n = 0; n < kMaxEventsPerPass; ++n) {
    if (closePending_ && listener_ != nullptr) {
      closePending_ = false;
      listener_->windowCloseRequested();
      if (keep->windowClosed) return;
    }
    if (queue_.empty()) break;
    const Input input = queue_.front();
    queue_.pop_front();
    if (input.kind == Input::Kind::drop) {
      const FileDrag drag = std::move(drops_.front());
      drops_.pop_front();
      if (listener_ != nullptr) listener_->windowDrop(drag, input.mouse.x, input.mouse.y);
      if (keep->windowClosed) return;
      continue;
    }
    if (input.kind != Input::Kind::wheel && input.kind != Input::Kind::key) mouse_ = input.mouse;
    if (listener_ == nullptr) continue;
    switch (input.kind) {
      case Input::Kind::press: listener_->windowMouseDown(mouse_); break;
      case Input::Kind::key: listener_->windowKeyDown(input.key); break;
      case Input::Kind::wheel: listener_->windowWheel(input.mouse.x, input.mouse.y, input.wheelSteps); break;
      default: break;
    }
    if (keep->windowClosed) return;
  }
}

bool Win32Window::pumpModal() {
  const std::shared_ptr<Session> keep = session_;
  if (!keep->usable()) return false;
  bool escape = false;
  if (queue_.empty()) {
    pumpOwnMessages();
    if (keep->windowClosed) return false;  // a message sent from another thread closed the editor
    if (queue_.empty() && keep->usable()) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, kModalWaitMs, QS_ALLINPUT);
      pumpOwnMessages();
      if (keep->windowClosed) return false;
    }
  }
  drainModal(escape);
  if (keep->popupCancelled && !keep->popups.empty()) escape = true;
  if (closePending_) escape = true;  // dispatchEvents reports it
  return !escape && keep->usable();
}

void Win32Window::pumpOwnMessages() {
  HWND windows[16];
  size_t count = 0;
  if (session_->usable()) windows[count++] = session_->window;
  for (Win32Popup* popup : session_->popups) {
    if (count < std::size(windows) && popup->handle() != nullptr) windows[count++] = popup->handle();
  }
  const std::shared_ptr<Session> keep = session_;
  for (size_t i = 0; i < count; ++i) {
    MSG message;
    for (int n = 0;
         n < kMaxEventsPerPass && IsWindow(windows[i]) && PeekMessageW(&message, windows[i], 0, 0, PM_REMOVE); ++n) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (keep->windowClosed) return;
    }
  }
}

void Win32Window::drainModal(bool& escape) {
  bool moved = false;
  for (int handled = 0; handled < kMaxEventsPerPass && !queue_.empty(); ++handled) {
    const Input input = queue_.front();
    const bool button = input.kind == Input::Kind::press || input.kind == Input::Kind::release;
    if (moved && button) break;
    queue_.pop_front();
    if (input.kind == Input::Kind::key) {
      if (input.key.virtualKey == kKeyEscape) escape = true;
      continue;  // other keys are dropped in modal passes
    }
    if (input.kind == Input::Kind::wheel) continue;
    if (input.kind == Input::Kind::drop) {
      drops_.pop_front();  // a drop during a modal pass is refused
      continue;
    }
    mouse_ = input.mouse;
    if (button) break;
    moved = true;
  }
}

std::unique_ptr<PopupSurface> Win32Window::openPopup(const PopupPlace& place) {
  Session& s = *session_;
  const int32_t width = place.width, height = place.height;
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
  if (!s.usable()) return nullptr;
  POINT origin{0, 0};
  if (!ClientToScreen(s.window, &origin)) return nullptr;
  // Kept on the monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (GetMonitorInfoW(MonitorFromPoint(POINT{origin.x + place.x, origin.y + place.y}, MONITOR_DEFAULTTONEAREST),
                      &monitor)) {
    work = monitor.rcWork;
  }
  int32_t screenX = 0, screenY = 0;
  placePopup(place, origin.x, origin.y, work.left, work.top, work.right, work.bottom, screenX, screenY);
  auto popup = std::make_unique<Win32Popup>(session_, screenX - origin.x, screenY - origin.y, width, height);
  if (!popup->open(screenX, screenY)) return nullptr;
  return popup;
}

LRESULT Win32Window::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Session& s = *session_;
  switch (message) {
    case WM_PAINT: pixels_.paintInvalid(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE:
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      queueMouse(Input::Kind::pointer, {signedLow(lParam), signedHigh(lParam), mouseBits(wParam)});
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (GetCapture() != window) {
        // Where it went; a window above this one may hold it at a place inside ours, where no move will
        // follow: then it is simply outside, so nothing keeps a hover look.
        MouseState gone = cursorState();
        if (gone.x >= 0 && gone.y >= 0 && gone.x < width_ && gone.y < height_) gone.x = gone.y = -1;
        queueMouse(Input::Kind::pointer, gone);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: {
      const bool down = message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN;
      const MouseState at{signedLow(lParam), signedHigh(lParam), mouseBits(wParam)};
      s.heldButtons = at.buttons & kMouseButtonBits;
      s.updateCapture();
      queueMouse(down ? Input::Kind::press : Input::Kind::release, at);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      POINT at{signedLow(lParam), signedHigh(lParam)};  // on the screen
      ScreenToClient(window, &at);
      wheelRemainder_ += static_cast<int16_t>(HIWORD(wParam));
      const int steps = wheelRemainder_ / WHEEL_DELTA;
      wheelRemainder_ -= steps * WHEEL_DELTA;
      if (steps != 0) queue({Input::Kind::wheel, {at.x, at.y, mouseBits(LOWORD(wParam))}, {}, steps});
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) {
        // Another window took the mouse: an open popup menu is cancelled, a drag ends where the mouse is.
        if (!s.popups.empty()) s.popupCancelled = true;
        if (s.heldButtons != 0) {
          s.heldButtons = 0;
          queueMouse(Input::Kind::release, cursorState());
        }
      }
      return 0;
    case WM_KEYDOWN: {
      KeyEvent key;
      if (keys_.keyDown(wParam, lParam, key)) queue({Input::Kind::key, mouse_, key, 0});
      return 0;
    }
    case WM_CHAR: {
      KeyEvent key;
      if (keys_.character(wParam, key)) queue({Input::Kind::key, mouse_, key, 0});
      return 0;
    }
    case WM_DROPFILES: queueDrop(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB;
    case WM_CLOSE:
      if (topLevel_) {
        closePending_ = true;
        return 0;
      }
      break;
    case WM_DESTROY:
      if (window == s.window) s.window = nullptr;  // the host destroyed its parent window
      break;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::unique_ptr<Win32Window> newWindow(int32_t width, int32_t height, bool topLevel) {
  if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
  return std::make_unique<Win32Window>(width, height, topLevel);
}

}  // namespace

std::unique_ptr<EditorWindow> createWin32EditorWindow(void* parent, int32_t width, int32_t height) {
  HWND host = static_cast<HWND>(parent);
  if (host == nullptr || !IsWindow(host)) return nullptr;
  auto window = newWindow(width, height, false);
  if (!window || !window->open(host)) return nullptr;
  return window;
}

std::unique_ptr<EditorWindow> createWin32TopLevelWindow(int32_t width, int32_t height, const char* title) {
  auto window = newWindow(width, height, true);
  if (!window || !window->openTopLevel(title != nullptr ? title : "")) return nullptr;
  return window;
}

}  // namespace tarnwick::platform
