// Win32 popup surfaces: creation above everything without activation, capture and focus bookkeeping, paint.
#include "platform/Win32Popup.h"

#include <algorithm>
#include <utility>

namespace tarnwick::platform::win32 {

Win32Popup::Win32Popup(std::shared_ptr<Session> session, int32_t x, int32_t y, int32_t width, int32_t height)
    : session_(std::move(session)), x_(x), y_(y), width_(width), height_(height) {
  pixels_.reset(width, height, 0xF0F0F0u);
}

bool Win32Popup::open(int screenX, int screenY) {
  Session& s = *session_;
  if (!s.usable()) return false;
  HWND owner = GetAncestor(s.window, GA_ROOT);
  window_ = createWindow(this, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, WS_POPUP, screenX, screenY, width_,
                         height_, owner, L"");
  if (window_ == nullptr) return false;
  created_ = true;
  s.popups.push_back(this);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  // Clicks outside every surface must still reach the modal loop, and Escape must reach the editor window.
  if (s.popups.size() == 1) {
    s.popupCancelled = false;
    s.focusBeforePopups = GetFocus();
    if (s.focusBeforePopups != s.window) SetFocus(s.window);
  }
  s.updateCapture();
  UpdateWindow(window_);
  return true;
}

Win32Popup::~Win32Popup() {
  Session& s = *session_;
  s.popups.erase(std::remove(s.popups.begin(), s.popups.end(), this), s.popups.end());
  if (created_) destroyWindow(window_);
  if (!s.popups.empty() || !s.usable()) return;
  s.updateCapture();
  // The keyboard goes back where it was, unless the user moved it meanwhile.
  HWND before = s.focusBeforePopups;
  s.focusBeforePopups = nullptr;
  if (before != nullptr && before != s.window && GetFocus() == s.window && IsWindow(before)) SetFocus(before);
}

void Win32Popup::present(const uint32_t* pixels, int32_t stride) {
  if (pixels == nullptr || stride < width_) return;
  pixels_.copy(pixels, stride, 0, 0, width_, height_);
  if (window_ == nullptr) return;
  if (HDC dc = GetDC(window_)) {
    pixels_.paint(dc, 0, 0, width_, height_);
    ReleaseDC(window_, dc);
  }
}

LRESULT Win32Popup::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: pixels_.paintInvalid(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
      // Only without the capture (Windows refused it): the editor window reads it in its own coordinates.
      if (session_->usable()) {
        POINT at{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
        MapWindowPoints(window, session_->window, &at, 1);
        SendMessageW(session_->window, message, wParam, MAKELPARAM(at.x, at.y));
      }
      return 0;
    case WM_DESTROY: window_ = nullptr; break;  // also when its owner goes
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarnwick::platform::win32
