// The X11 backend's key translation: a KeyPress event into the toolkit's key event.
#pragma once

#include <X11/Xlib.h>

#include "platform/EditorWindow.h"

namespace tarnwick::platform::x11 {

// [ui-thread] The key event of a KeyPress (the character after Shift and Caps Lock, the virtual key of a
// navigation key, the modifiers); false for keys the toolkit has no use for (a modifier on its own).
// Needs Xlib loaded.
bool translateKey(XKeyEvent& event, KeyEvent& key);

}  // namespace tarnwick::platform::x11
