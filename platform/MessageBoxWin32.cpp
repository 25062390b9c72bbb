// The system's message box on Windows. Texts are UTF-8 (a recording's path may be part of one), so
// the wide-character call shows them.
#include "platform/MessageBoxWin32.h"

#include <windows.h>

#include <string>

#include "platform/Paths.h"

namespace tarnwick::platform {

namespace {

BOOL CALLBACK firstShownWindow(HWND window, LPARAM found) {
  if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// A top-level window of the host's own when the editor is closed (a session is restored before any
// editor opens): the calling thread's active window, else the foreground window when it is this
// process's, else the first shown window of this thread.
HWND hostWindow() {
  if (const HWND active = GetActiveWindow()) return GetAncestor(active, GA_ROOT);
  const HWND foreground = GetForegroundWindow();
  DWORD process = 0;
  if (foreground && GetWindowThreadProcessId(foreground, &process) != 0 && process == GetCurrentProcessId())
    return foreground;
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &firstShownWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The top-level window around the editor's child window, else one of the host's; null when there is none.
// An owned box stays above its owner, whatever the user clicks in the host.
HWND ownerWindow() {
  const auto window = static_cast<HWND>(messageBoxOwner());
  if (!window || !IsWindow(window)) return hostWindow();
  const HWND root = GetAncestor(window, GA_ROOT);
  return root ? root : window;
}

}  // namespace

std::optional<MessageBoxAnswer> showSystemMessageBox(const char* title, const char* text, MessageBoxButtons buttons) {
  try {
    const std::wstring wideTitle = wideFromStored(title);
    const std::wstring wideText = wideFromStored(text);
    const HWND owner = ownerWindow();
    // Yes/No boxes ask before something is overwritten; OK boxes report what could not be done.
    UINT style = buttons == MessageBoxButtons::kYesNo ? (MB_YESNO | MB_ICONQUESTION) : (MB_OK | MB_ICONWARNING);
    // A box without an owner keeps above every window; either way it comes to the front with the
    // keyboard (Return answers it).
    style |= owner ? MB_APPLMODAL : (MB_TASKMODAL | MB_TOPMOST);
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
