// The system's message box on Windows. Texts are UTF-8 (a recording's path may be part of one), so
// the wide-character call shows them.
#include "platform/MessageBoxWin32.h"

#include <windows.h>

#include <string>

namespace tarnwick::platform {

namespace {

std::wstring wideFrom(const char* text) {
  if (!text || text[0] == '\0') return std::wstring();
  const int size = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), size);
  wide.resize(static_cast<size_t>(size - 1));
  return wide;
}

// The top-level window around the editor's child window; null when it is gone.
HWND ownerWindow() {
  const auto window = static_cast<HWND>(messageBoxOwner());
  if (!window || !IsWindow(window)) return nullptr;
  const HWND root = GetAncestor(window, GA_ROOT);
  return root ? root : window;
}

}  // namespace

std::optional<MessageBoxAnswer> showSystemMessageBox(const char* title, const char* text, MessageBoxButtons buttons) {
  try {
    const std::wstring wideTitle = wideFrom(title);
    const std::wstring wideText = wideFrom(text);
    const HWND owner = ownerWindow();
    // Yes/No boxes ask before something is overwritten; OK boxes report what could not be done.
    UINT style = buttons == MessageBoxButtons::kYesNo ? (MB_YESNO | MB_ICONQUESTION) : (MB_OK | MB_ICONWARNING);
    style |= owner ? MB_APPLMODAL : MB_TASKMODAL;
    style |= MB_SETFOREGROUND;
    switch (MessageBoxW(owner, wideText.c_str(), wideTitle.c_str(), style)) {
      case IDOK: return MessageBoxAnswer::kOk;
      case IDYES: return MessageBoxAnswer::kYes;
      case IDNO: return MessageBoxAnswer::kNo;
      case IDCANCEL: return buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
      default: return std::nullopt;  // 0: the box could not be shown
    }
  } catch (...) {
    return std::nullopt;
  }
}

void installSystemMessageBoxes() { setMessageBoxPresenter(&showSystemMessageBox); }

}  // namespace tarnwick::platform
