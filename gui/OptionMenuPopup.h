// The popup list of an option menu: drawn by the toolkit on popup surfaces of the window backend and
// driven by the mouse in a modal loop.
#pragma once

#include <cstdint>

#include "gui/CGeometry.h"

namespace tarnwick::gui {

class CFrame;
class COptionMenu;

struct OptionMenuPick {
  COptionMenu* menu = nullptr;  // the menu holding the picked entry; null when cancelled
  int32_t index = -1;
};

// Popup look: DejaVu Sans 12 px in rows of kPopupRowHeight (separators kPopupSeparatorHeight), a one-pixel
// border, the first row kPopupBorder pixels from the top; a check column on the left and a submenu arrow
// column on the right. The root list opens under the control (`control`, window coordinates), or above it
// where the screen ends first, at least as wide as the control; a submenu opens beside its entry, on the
// right of its list, or on the left where the screen ends first, never over the entry.
constexpr int32_t kPopupRowHeight = 18;
constexpr int32_t kPopupSeparatorHeight = 7;
constexpr int32_t kPopupBorder = 2;

// Runs the popup until a pick or a cancel:
//  - hovering an entry highlights it; hovering a submenu entry opens the submenu beside it;
//  - a click on a plain entry picks it: releasing a button over the entry, after pressing it while the lists
//    were open; the release of the press that opened the menu never picks, wherever the lists opened;
//  - pressing a button outside every list, or the window ending the modal loop, cancels.
OptionMenuPick runOptionMenuPopup(CFrame* frame, COptionMenu* menu, const CRect& control);

// Row geometry of a list, for tests and for the popup: the top of entry index (list coordinates) and the
// entry at a y (-1 on the border or past the end).
CCoord popupRowTop(const COptionMenu* menu, int32_t index);
int32_t popupRowAt(const COptionMenu* menu, CCoord y);

}  // namespace tarnwick::gui
