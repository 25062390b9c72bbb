// Push buttons, switches, menus and the copy/paste keys, each with its highlight variant.
#include <string>

#include "resources/gen/Catalogue.h"
#include "resources/gen/Theme.h"
#include "resources/gen/Widgets.h"

namespace tarnwick::art {

namespace {

// Off above on, each half a key cap. The three mode switches (move, morph, trigger) share one label size
// and lamp whatever the height of their keys, and their labels stand on one line of the window.
constexpr double kModeLabelPx = 9.0;
constexpr int kModeLampSize = 6;
constexpr int kModeBaseline = 50;  // window row

Image switchKey(const FontSet& fonts, int w, int half, const std::string& label, bool hover, int modeKeyTop = -1) {
  KeyLook off{label, true, false, false, hover, false};
  if (modeKeyTop >= 0) {
    off.labelPx = kModeLabelPx;
    off.lampSize = kModeLampSize;
    off.baseline = kModeBaseline - modeKeyTop;
  }
  KeyLook on = off;
  on.on = true;
  return stack({keyCap(fonts, w, half, off), keyCap(fonts, w, half, on)});
}

// Up above pressed.
Image kickKey(const FontSet& fonts, int w, int half, const std::string& label, bool hover) {
  KeyLook up{label, false, false, false, hover, false};
  KeyLook down = up;
  down.pressed = true;
  return stack({keyCap(fonts, w, half, up), keyCap(fonts, w, half, down)});
}

Image menuKey(const FontSet& fonts, int w, int h, const std::string& label, bool hover) {
  return keyCap(fonts, w, h, KeyLook{label, false, false, false, hover, true});
}

// The small copy (arrow down: bars into the slot) and paste (arrow up: slot onto the bars) keys.
Image slotKey(bool down, bool pressed) {
  Image img(13, 17);
  fillRoundRect(img, 0, 0, 13, 17, 2, palette::panelEdgeDark);
  if (pressed)
    fillRoundRectGradient(img, 1, 1, 12, 16, 1, rgb(40, 42, 46), rgb(56, 59, 64));
  else {
    fillRoundRectGradient(img, 1, 1, 12, 16, 1, rgb(84, 88, 95), rgb(60, 63, 69));
    img.hLine(2, 11, 1, rgb(112, 116, 124));
  }
  const Colour ink = pressed ? palette::accent : rgb(214, 216, 220);
  const int shift = pressed ? 1 : 0;
  if (down) {
    img.fill(5, 3 + shift, 8, 7 + shift, ink);  // stem
    fillTriangle(img, 2.5, 7.0 + shift, 10.5, 7.0 + shift, 6.5, 11.0 + shift, ink);
    img.fill(3, 12 + shift, 10, 13 + shift, ink);  // the slot it lands in
  } else {
    img.fill(3, 3 + shift, 10, 4 + shift, ink);
    fillTriangle(img, 2.5, 9.0 + shift, 10.5, 9.0 + shift, 6.5, 5.0 + shift, ink);
    img.fill(5, 9 + shift, 8, 13 + shift, ink);
  }
  return img;
}

}  // namespace

void addButtons(const FontSet& f, Catalogue& out) {
  out.push_back({135, "flood", switchKey(f, 40, 12, "FLOOD", false)});
  out.push_back({171, "flood-hover", switchKey(f, 40, 12, "FLOOD", true)});
  out.push_back({160, "move", switchKey(f, 43, 9, "MOVE", false, layout::moveButton.top)});
  out.push_back({159, "move-hover", switchKey(f, 43, 9, "MOVE", true, layout::moveButton.top)});
  out.push_back({161, "morph", switchKey(f, 50, 17, "MORPH", false, layout::morphButton.top)});
  out.push_back({166, "morph-hover", switchKey(f, 50, 17, "MORPH", true, layout::morphButton.top)});
  out.push_back({139, "trigger", switchKey(f, 53, 17, "TRIGGER", false, layout::triggerButton.top)});
  out.push_back({142, "trigger-hover", switchKey(f, 53, 17, "TRIGGER", true, layout::triggerButton.top)});
  out.push_back({163, "load-audio", kickKey(f, 65, 12, "LOAD AUDIO", false)});
  out.push_back({168, "load-audio-hover", kickKey(f, 65, 12, "LOAD AUDIO", true)});
  out.push_back({173, "save-bank", kickKey(f, 74, 12, "SAVE BANK", false)});
  out.push_back({152, "save-bank-hover", kickKey(f, 74, 12, "SAVE BANK", true)});
  out.push_back({174, "spare-key", kickKey(f, 67, 12, "LOAD", false)});
  out.push_back({172, "bank-menu", menuKey(f, 74, 12, "LOAD BANK", false)});
  out.push_back({149, "bank-menu-hover", menuKey(f, 74, 12, "LOAD BANK", true)});
  out.push_back({170, "main-menu", menuKey(f, 59, 16, "MENU", false)});
  out.push_back({148, "main-menu-hover", menuKey(f, 59, 16, "MENU", true)});
  out.push_back({140, "copy", stack({slotKey(true, false), slotKey(true, true)})});
  out.push_back({141, "paste", stack({slotKey(false, false), slotKey(false, true)})});
}

}  // namespace tarnwick::art
