// Win32 key translation: virtual-key codes to VST virtual keys, UTF-16 characters to code points.
#include "platform/Win32Keys.h"

namespace tarnwick::platform::win32 {

namespace {

bool held(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

int32_t virtualKeyOf(WPARAM vk, LPARAM lParam) {
  switch (vk) {
    case VK_BACK: return kKeyBack;
    case VK_TAB: return kKeyTab;
    case VK_RETURN: return (lParam & (1 << 24)) != 0 ? kKeyEnter : kKeyReturn;  // extended: the keypad's
    case VK_ESCAPE: return kKeyEscape;
    case VK_SPACE: return kKeySpace;
    case VK_PRIOR: return kKeyPageUp;
    case VK_NEXT: return kKeyPageDown;
    case VK_END: return kKeyEnd;
    case VK_HOME: return kKeyHome;
    case VK_LEFT: return kKeyLeft;
    case VK_UP: return kKeyUp;
    case VK_RIGHT: return kKeyRight;
    case VK_DOWN: return kKeyDown;
    case VK_DELETE: return kKeyDelete;
    default: return 0;
  }
}

}  // namespace

int32_t keyModifiers() {
  int32_t bits = 0;
  if (held(VK_SHIFT)) bits |= kKeyModifierShift;
  if (held(VK_CONTROL)) bits |= kKeyModifierControl;
  if (held(VK_MENU)) bits |= kKeyModifierAlt;
  return bits;
}

bool KeyTranslator::keyDown(WPARAM vk, LPARAM lParam, KeyEvent& key) const {
  key = KeyEvent{};
  key.virtualKey = virtualKeyOf(vk, lParam);
  if (key.virtualKey == 0) return false;
  if (key.virtualKey == kKeySpace) key.character = ' ';  // as on X11: both
  key.modifiers = keyModifiers();
  return true;
}

bool KeyTranslator::character(WPARAM unit, KeyEvent& key) {
  key = KeyEvent{};
  const auto u = static_cast<uint32_t>(unit & 0xFFFF);
  if (u >= 0xD800 && u <= 0xDBFF) {
    highSurrogate_ = static_cast<wchar_t>(u);
    return false;
  }
  int32_t code = static_cast<int32_t>(u);
  if (u >= 0xDC00 && u <= 0xDFFF) {
    if (highSurrogate_ == 0) return false;
    code = 0x10000 + ((static_cast<int32_t>(highSurrogate_) - 0xD800) << 10) + static_cast<int32_t>(u - 0xDC00);
  }
  highSurrogate_ = 0;
  key.modifiers = keyModifiers();
  const bool control = (key.modifiers & kKeyModifierControl) != 0;
  const bool alt = (key.modifiers & kKeyModifierAlt) != 0;
  if (code >= 1 && code <= 26 && control && !alt) {
    // Ctrl+letter arrives as a control character; the toolkit wants the letter with the Control bit.
    code += (key.modifiers & kKeyModifierShift) != 0 ? 'A' - 1 : 'a' - 1;
  } else if (code < 0x20 || code == 0x7F || code == ' ') {
    return false;  // Return, Tab, Backspace, Escape and Space came with WM_KEYDOWN
  } else if (control && alt) {
    key.modifiers &= ~(kKeyModifierControl | kKeyModifierAlt);  // AltGr typed this character
  }
  key.character = code;
  return true;
}

}  // namespace tarnwick::platform::win32
