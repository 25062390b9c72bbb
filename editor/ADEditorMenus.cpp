// The option menus: the four submenus, the main menu that holds them, and the bank menu with the recent files.
#include <cstring>

#include "editor/ADEditor.h"
#include "editor/Layout.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"

namespace tarnwick {

using namespace gui;
using namespace layout;

namespace {

constexpr size_t kMenuPathLimit = 72;

constexpr const char* kDelayRangeEntries[] = {" 16ms  ->  200ms", " 32ms  ->  400ms", " 80ms  ->  1sec",
                                              " quantized to tempo"};
constexpr const char* kKeyMappingEntries[] = {" 128 keys - map from C-2 to G8 ", "  88 keys - map from A-1 to C7",
                                              "  76 keys - map from E0 to G6",   "  61 keys - map from C1 to C6",
                                              "  49 keys - map from C1 to C5",   "  37 keys - map from C2 to C5",
                                              "  25 keys - map from C2 to C4"};
constexpr const char* kMorphAlgorithmEntries[] = {"1 - a/b weighted copy", "2 - a/b linear copy",
                                                  "3 - equally distributed"};
constexpr const char* kResetEntries[] = {" Delay values", " Copybuffer", " Options", " All except audiobuffer"};

template <size_t N>
COptionMenu* makeSubmenu(CControlListener* listener, int32_t tag, const char* const (&entries)[N], int32_t style) {
  auto* menu = new COptionMenu(CRect(0, 0, 0, 0), listener, tag, nullptr, nullptr, style);
  for (const char* entry : entries) menu->addEntry(entry);
  return menu;
}

}  // namespace

void recentFileMenuText(const char* path, char* out) {
  if (out == nullptr) return;
  if (path == nullptr) path = "";
  const size_t length = std::strlen(path);
  if (length <= kMenuPathLimit) {
    std::memcpy(out, path, length + 1);
  } else {
    std::memcpy(out, "...", 3);
    std::memcpy(out + 3, path + length - kMenuPathLimit, kMenuPathLimit + 1);
  }
}

void ADEditor::buildSubmenus() {
  auto initial = [this](int32_t tag) { return effect ? effect->getParameter(tag) : 0.0f; };
  constexpr int32_t kChecked = kNoDrawStyle | kCheckStyle;
  c_.delayRange = makeSubmenu(this, kDelayRange, kDelayRangeEntries, kChecked);
  c_.keyMapping = makeSubmenu(this, kKeyMapping, kKeyMappingEntries, kChecked);
  c_.morphAlgorithm = makeSubmenu(this, kMorphAlgorithm, kMorphAlgorithmEntries, kChecked);
  c_.reset = makeSubmenu(this, kResetAction, kResetEntries, kNoDrawStyle);
  c_.delayRange->setValue(initial(kDelayRange));
  c_.keyMapping->setValue(initial(kKeyMapping));
  c_.morphAlgorithm->setValue(initial(kMorphAlgorithm));
  c_.reset->setValue(initial(kResetAction));
}

void ADEditor::buildMainMenu() {
  c_.mainMenu = new COptionMenu(kMainMenuRect, this, kMainMenuValue, bitmap(kBmpMainMenu), nullptr, kNoTextStyle);
  c_.mainMenu->setTransparency(true);
  c_.mainMenu->addEntry(c_.delayRange, "Delay fader range");
  c_.mainMenu->addEntry(c_.keyMapping, "Keyboard mapping");
  c_.mainMenu->addEntry(c_.morphAlgorithm, "Morph Algorithm");
  c_.mainMenu->addSeparator();
  c_.mainMenu->addEntry(c_.reset, "Reset");
  c_.mainMenu->addSeparator();
  c_.mainMenu->addEntry("About");
  frame->addView(c_.mainMenu);
}

void ADEditor::fillBankMenu(COptionMenu* menu) {
  menu->addEntry("Load .VLB program bank");
  menu->addSeparator();
  char text[kMenuPathLimit + 4];
  for (int32_t k = 0; k < 20; ++k) {
    recentFileMenuText(model_->recentFile(k), text);
    menu->addEntry(text);
  }
}

}  // namespace tarnwick
