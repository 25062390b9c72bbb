// The module's window class and procedure, WM_PAINT from kept pixels and the editor's mouse capture.
#include "platform/Win32Support.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>
#include <mutex>

namespace tarnwick::platform::win32 {

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* target = reinterpret_cast<MessageTarget*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (target == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return target->handleMessage(window, message, wParam, lParam);
}

HINSTANCE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&windowProcedure), &module);
  return module;
}

// Windows of every thread of the host may be ours, so the count is guarded.
std::mutex classMutex;
int classUsers = 0;
wchar_t className[64] = L"";

// The class name carries the module's address: two copies of the plug-in in one process never share it.
const wchar_t* acquireClass() {
  std::lock_guard<std::mutex> lock(classMutex);
  if (classUsers == 0) {
    const HINSTANCE module = thisModule();
    std::swprintf(className, sizeof className / sizeof className[0], L"TarnwickWindow%llx",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(module)));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProcedure;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = className;  // no background brush: WM_PAINT covers everything from the kept pixels
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  }
  ++classUsers;
  return className;
}

void releaseClass() {
  std::lock_guard<std::mutex> lock(classMutex);
  if (classUsers > 0 && --classUsers == 0) UnregisterClassW(className, thisModule());
}

}  // namespace

HWND createWindow(MessageTarget* target, DWORD exStyle, DWORD style, int x, int y, int width, int height, HWND parent,
                  const wchar_t* title) {
  const wchar_t* name = acquireClass();
  if (name == nullptr) return nullptr;
  HWND window =
      CreateWindowExW(exStyle, name, title, style, x, y, width, height, parent, nullptr, thisModule(), target);
  if (window == nullptr) releaseClass();
  return window;
}

void destroyWindow(HWND window) {
  if (window != nullptr && IsWindow(window)) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);  // the object is going away: no more calls into it
    DestroyWindow(window);
  }
  releaseClass();
}

void Pixels::reset(int32_t width, int32_t height, uint32_t fill) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill);
}

void Pixels::copy(const uint32_t* pixels, int32_t stride, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (pixels == nullptr || stride < width_) return;
  const int32_t left = std::max(x, 0), top = std::max(y, 0);
  const int32_t right = std::min(x + w, width_), bottom = std::min(y + h, height_);
  for (int32_t row = top; row < bottom; ++row) {
    const uint32_t* from = pixels + static_cast<ptrdiff_t>(row) * stride;
    std::copy(from + left, from + right, pixels_.begin() + static_cast<ptrdiff_t>(row) * width_ + left);
  }
}

// The rows are a top-down 32-bit BI_RGB DIB as they are (the alpha byte is ignored); only the rows of the
// area are described, so the source offsets need no care about the bottom-up convention.
void Pixels::paintInvalid(HWND window) const {
  PAINTSTRUCT paintInfo;
  if (HDC dc = BeginPaint(window, &paintInfo)) {
    paint(dc, paintInfo.rcPaint);
    EndPaint(window, &paintInfo);
  }
}

void Pixels::paint(HDC dc, int32_t x, int32_t y, int32_t w, int32_t h) const {
  const int32_t left = std::max(x, 0), top = std::max(y, 0);
  const int32_t right = std::min(x + w, width_), bottom = std::min(y + h, height_);
  if (dc == nullptr || left >= right || top >= bottom) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -(bottom - top);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, left, top, static_cast<DWORD>(right - left), static_cast<DWORD>(bottom - top), left, 0, 0,
                    static_cast<UINT>(bottom - top), pixels_.data() + static_cast<ptrdiff_t>(top) * width_, &info,
                    DIB_RGB_COLORS);
}

void Session::updateCapture() const {
  if (!usable()) return;
  const bool wanted = heldButtons != 0 || !popups.empty();
  if (wanted && GetCapture() != window) {
    SetCapture(window);
  } else if (!wanted && GetCapture() == window) {
    ReleaseCapture();
  }
}

}  // namespace tarnwick::platform::win32
