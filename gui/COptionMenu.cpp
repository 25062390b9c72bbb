// Option menu entries, value and control drawing.
#include "gui/COptionMenu.h"

#include <cmath>

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/OptionMenuPopup.h"

namespace tarnwick::gui {

COptionMenu::COptionMenu(const CRect& rect, CControlListener* menuListener, int32_t menuTag, CBitmap* background,
                         CBitmap* whenClick, int32_t menuStyle)
    : CParamDisplay(rect, background, menuStyle), bgWhenClick(whenClick) {
  listener = menuListener;
  tag = menuTag;
  if (bgWhenClick) bgWhenClick->remember();
}

COptionMenu::~COptionMenu() {
  removeAllEntry();
  if (bgWhenClick) bgWhenClick->forget();
}

bool COptionMenu::addEntry(const char* text, int32_t index) {
  if (text == nullptr) return false;
  Entry entry;
  entry.text = text;
  if (index < 0 || index > getNbEntries()) {
    entries_.push_back(std::move(entry));
  } else {
    entries_.insert(entries_.begin() + index, std::move(entry));
  }
  setDirty(true);
  return true;
}

bool COptionMenu::addEntry(COptionMenu* submenu, const char* title) {
  if (submenu == nullptr || submenu == this || title == nullptr) return false;
  submenu->remember();
  entries_.push_back(Entry{title, submenu, false});
  setDirty(true);
  return true;
}

bool COptionMenu::removeEntry(int32_t index) {
  if (index < 0 || index >= getNbEntries()) return false;
  if (COptionMenu* submenu = entries_[static_cast<size_t>(index)].submenu) submenu->forget();
  entries_.erase(entries_.begin() + index);
  setDirty(true);
  return true;
}

bool COptionMenu::removeAllEntry() {
  for (Entry& entry : entries_) {
    if (entry.submenu) entry.submenu->forget();
  }
  entries_.clear();
  setDirty(true);
  return true;
}

const char* COptionMenu::getEntry(int32_t index) const {
  return (index >= 0 && index < getNbEntries()) ? entries_[static_cast<size_t>(index)].text.c_str() : nullptr;
}

bool COptionMenu::setEntry(int32_t index, const char* text) {
  if (text == nullptr || index < 0 || index >= getNbEntries()) return false;
  entries_[static_cast<size_t>(index)].text = text;
  setDirty(true);
  return true;
}

COptionMenu* COptionMenu::getSubMenu(int32_t index) const {
  return (index >= 0 && index < getNbEntries()) ? entries_[static_cast<size_t>(index)].submenu : nullptr;
}

bool COptionMenu::isSeparator(int32_t index) const {
  const char* text = getEntry(index);
  return text != nullptr && getSubMenu(index) == nullptr && text[0] == '-' && text[1] == '\0';
}

bool COptionMenu::checkEntry(int32_t index, bool checked) {
  if (index < 0 || index >= getNbEntries()) return false;
  entries_[static_cast<size_t>(index)].checked = checked;
  return true;
}

bool COptionMenu::isCheckEntry(int32_t index) const {
  if (index < 0 || index >= getNbEntries()) return false;
  return entries_[static_cast<size_t>(index)].checked || ((style & kCheckStyle) && index == currentIndex);
}

void COptionMenu::setValue(float val) {
  if (std::isnan(val)) return;
  const int32_t index = val >= 0.0f && val < 2147483520.0f ? static_cast<int32_t>(val) : -1;
  if (index < 0 || index >= getNbEntries()) return;
  currentIndex = index;
  value = static_cast<float>(index);
  setDirty(true);
}

bool COptionMenu::setCurrent(int32_t index) {
  if (index < 0 || index >= getNbEntries()) return false;
  setValue(static_cast<float>(index));
  return true;
}

void COptionMenu::draw(CDrawContext* context) {
  if (style & kNoDrawStyle) {
    setDirty(false);
    return;
  }
  CBitmap* back = (popupOpen && bgWhenClick) ? bgWhenClick : nullptr;
  drawText(context, (style & kNoTextStyle) ? nullptr : getEntry(currentIndex), back);
}

void COptionMenu::mouse(CDrawContext* context, CPoint& /*where*/, int32_t buttons) {
  if (!bMouseEnabled) return;
  if (buttons == -1) buttons = context->getMouseButtons();
  if (!(buttons & (kLButton | kRButton | kApple))) return;
  lastMenu = nullptr;
  lastResult = -1;
  popupOpen = true;
  setDirty(true);
  // Keep this menu alive while its popup runs: a pick may make the listener remove it.
  remember();
  const OptionMenuPick pick = runOptionMenuPopup(pParentFrame, this, size);
  popupOpen = false;
  setDirty(true);
  if (pick.menu) takePick(context, pick.menu, pick.index);
  forget();
}

void COptionMenu::takePick(CDrawContext* context, COptionMenu* menu, int32_t index) {
  lastMenu = menu;
  lastResult = index;
  // Submenus live outside the frame: the edit bracket goes through this menu's editor.
  AEffGUIEditor* editor = getEditor();
  if (editor) editor->beginEdit(menu->getTag());
  menu->setValue(static_cast<float>(index));
  if (menu->listener) menu->listener->valueChanged(context, menu);
  if (editor) editor->endEdit(menu->getTag());
}

}  // namespace tarnwick::gui
