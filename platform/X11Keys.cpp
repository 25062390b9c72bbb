// X11 key translation: keysyms to VST virtual keys and Unicode characters.
#include "platform/X11Keys.h"

#include <X11/keysym.h>

#include "platform/X11Api.h"

namespace tarnwick::platform::x11 {

namespace {

int32_t virtualKeyOf(unsigned long keysym) {
  switch (keysym) {
    case XK_BackSpace: return kKeyBack;
    case XK_Tab:
    case XK_ISO_Left_Tab: return kKeyTab;
    case XK_Return: return kKeyReturn;
    case XK_KP_Enter: return kKeyEnter;
    case XK_Escape: return kKeyEscape;
    case XK_space:
    case XK_KP_Space: return kKeySpace;
    case XK_Home:
    case XK_KP_Home: return kKeyHome;
    case XK_End:
    case XK_KP_End: return kKeyEnd;
    case XK_Left:
    case XK_KP_Left: return kKeyLeft;
    case XK_Right:
    case XK_KP_Right: return kKeyRight;
    case XK_Up:
    case XK_KP_Up: return kKeyUp;
    case XK_Down:
    case XK_KP_Down: return kKeyDown;
    case XK_Page_Up:
    case XK_KP_Page_Up: return kKeyPageUp;
    case XK_Page_Down:
    case XK_KP_Page_Down: return kKeyPageDown;
    case XK_Delete:
    case XK_KP_Delete: return kKeyDelete;
    default: return 0;
  }
}

// Latin-1 keysyms are their code points; Unicode keysyms carry theirs above 0x01000000.
int32_t characterOf(unsigned long keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF)) return static_cast<int32_t>(keysym);
  if (keysym >= 0x010000A0 && keysym <= 0x0110FFFF) return static_cast<int32_t>(keysym - 0x01000000);
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<int32_t>('0' + (keysym - XK_KP_0));
  return 0;
}

bool keyEventFor(unsigned long keysym, unsigned int state, KeyEvent& key) {
  key = KeyEvent{};
  key.virtualKey = virtualKeyOf(keysym);
  key.character = characterOf(keysym);
  if (state & ShiftMask) key.modifiers |= kKeyModifierShift;
  if (state & ControlMask) key.modifiers |= kKeyModifierControl;
  if (state & Mod1Mask) key.modifiers |= kKeyModifierAlt;
  return key.virtualKey != 0 || key.character != 0;
}

}  // namespace

bool translateKey(XKeyEvent& event, KeyEvent& key) {
  char text[16];
  KeySym keysym = NoSymbol;
  xlib().XLookupString(&event, text, sizeof text, &keysym, nullptr);  // applies Shift, Caps and Num Lock
  if (keysym == NoSymbol) keysym = xlib().XLookupKeysym(&event, 0);
  return keyEventFor(keysym, event.state, key);
}

}  // namespace tarnwick::platform::x11
