// Option menu: a control whose value is the index of the entry picked from a popup list.
#pragma once

#include <string>
#include <vector>

#include "gui/CParamDisplay.h"

namespace tarnwick::gui {

// Entries are texts ("-" is a separator) or submenus with a title; indices count separators too. The value
// is the selected index. A left or right click opens the popup (see OptionMenuPopup.h); a pick sets the
// value of the menu that holds the entry (this menu or a submenu) and reports to that menu's listener
// inside a begin/end edit bracket of its tag. Unless kNoDrawStyle is set, the control draws like a
// CParamDisplay with the current entry's text (no text with kNoTextStyle); kCheckStyle shows a check mark
// at the current entry in the popup.
class COptionMenu : public CParamDisplay {
 public:
  COptionMenu(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background = nullptr,
              CBitmap* bgWhenClick = nullptr, int32_t style = 0);
  ~COptionMenu() override;

  // Inserts the text before entry index, or appends it when index is negative or past the end.
  bool addEntry(const char* text, int32_t index = -1);
  // Appends a submenu under the title; the menu keeps its own reference to it.
  bool addEntry(COptionMenu* submenu, const char* title);
  bool addSeparator() { return addEntry("-"); }
  bool removeEntry(int32_t index);
  bool removeAllEntry();
  int32_t getNbEntries() const { return static_cast<int32_t>(entries_.size()); }
  // The entry's text or submenu title; null for an index out of range.
  const char* getEntry(int32_t index) const;
  bool setEntry(int32_t index, const char* text);
  COptionMenu* getSubMenu(int32_t index) const;
  bool isSeparator(int32_t index) const;
  // An explicit check mark, shown whatever the style.
  bool checkEntry(int32_t index, bool checked);
  bool isCheckEntry(int32_t index) const;

  // The value is the current index; values outside the entries (or NaN) are ignored. Never allocates.
  void setValue(float val) override;
  int32_t getCurrent() const { return currentIndex; }
  bool setCurrent(int32_t index);
  // The menu and index of the last pick made through this menu's popup (null and -1 when cancelled).
  COptionMenu* getLastItemMenu(int32_t& index) const {
    index = lastResult;
    return lastMenu;
  }

  void draw(CDrawContext* context) override;
  void mouse(CDrawContext* context, CPoint& where, int32_t buttons = -1) override;

  // Records the outcome of a popup and tells the menu that holds the picked entry. [popup code]
  void takePick(CDrawContext* context, COptionMenu* menu, int32_t index);

 private:
  struct Entry {
    std::string text;
    COptionMenu* submenu = nullptr;
    bool checked = false;
  };

  std::vector<Entry> entries_;
  CBitmap* bgWhenClick = nullptr;
  int32_t currentIndex = -1;
  int32_t lastResult = -1;
  COptionMenu* lastMenu = nullptr;
  bool popupOpen = false;
};

}  // namespace tarnwick::gui
