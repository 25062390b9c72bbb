// The option menus: the four submenus, the main menu that holds them, and the bank menu with the recent files.
#include <cstring>

#include "editor/ADEditor.h"
#include "editor/Layout.h"
#include "editor/ScalePreference.h"
#include "engine/OptionTexts.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/COptionMenu.h"
#include "storage/RecentFiles.h"

namespace tarnwick {

using namespace gui;
using namespace layout;

namespace {

constexpr size_t kMenuPathLimit = 72;

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
  c_.scale = makeSubmenu(this, kScaleMenuTag, kScaleMenuEntries, kChecked);
  c_.scale->setValue(static_cast<float>(menuEntryOfScale(userScale_)));
}

void ADEditor::buildMainMenu() {
  c_.mainMenu = new COptionMenu(kMainMenuRect, this, kMainMenuValue, bitmap(kBmpMainMenu), nullptr, kNoTextStyle);
  c_.mainMenu->setTransparency(true);
  c_.mainMenu->addEntry(c_.delayRange, "Delay fader range");
  c_.mainMenu->addEntry(c_.keyMapping, "Keyboard mapping");
  c_.mainMenu->addEntry(c_.morphAlgorithm, "Morph Algorithm");
  c_.mainMenu->addEntry(c_.scale, "Scale");
  c_.mainMenu->addSeparator();
  c_.mainMenu->addEntry(c_.reset, "Reset");
  c_.mainMenu->addSeparator();
  c_.mainMenu->addEntry("About");
  frame->addView(c_.mainMenu);
}

void ADEditor::fillBankMenu(COptionMenu* menu) {
  // One row per recent bank file there is, after the dialog's entry and a separator.
  menu->removeAllEntry();
  menu->addEntry("Load .VLB program bank");
  char text[kMenuPathLimit + 4];
  for (int32_t k = 0; k < kRecentFileCount; ++k) {
    const char* path = model_->recentFile(k);
    if (path == nullptr || path[0] == '\0') continue;
    if (menu->getNbEntries() == 1) menu->addSeparator();
    recentFileMenuText(path, text);
    menu->addEntry(text);
  }
}

const char* ADEditor::recentBankAt(int32_t entry) {
  int32_t row = kFirstRecentBankEntry;
  for (int32_t k = 0; k < kRecentFileCount; ++k) {
    const char* path = model_->recentFile(k);
    if (path == nullptr || path[0] == '\0') continue;
    if (row++ == entry) return path;
  }
  return nullptr;
}

}  // namespace tarnwick
