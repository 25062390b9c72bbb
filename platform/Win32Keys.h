// The Win32 backend's key translation: WM_KEYDOWN and WM_CHAR messages into the toolkit's key events.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/EditorWindow.h"

namespace tarnwick::platform::win32 {

// [ui-thread] Keys come in two messages: WM_KEYDOWN carries the keys that have no character (and Space),
// WM_CHAR the characters that TranslateMessage made of the others.
class KeyTranslator {
 public:
  // The event of a WM_KEYDOWN (virtual key vk, lParam's extended bit tells the keypad's Enter); false for a
  // key whose character follows as WM_CHAR, or one the toolkit has no use for.
  bool keyDown(WPARAM vk, LPARAM lParam, KeyEvent& key) const;
  // The event of a WM_CHAR (one UTF-16 unit; a surrogate pair arrives as two messages); false for the
  // control characters that keyDown already reported and for a pair's first half.
  bool character(WPARAM unit, KeyEvent& key);

 private:
  wchar_t highSurrogate_ = 0;
};

// The KeyModifiers bits of the keys held now (as the thread's messages so far tell).
int32_t keyModifiers();

}  // namespace tarnwick::platform::win32
