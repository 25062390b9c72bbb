// The grey panel colours the built-in dialogs share (file browser, message boxes), so they look like
// one family.
#pragma once

#include "gui/CGeometry.h"

namespace tarnwick::gui::dialog {

inline constexpr CColor kPanel = {236, 236, 236, 255};
inline constexpr CColor kButton = {222, 222, 222, 255};
inline constexpr CColor kDim = {90, 90, 90, 255};

}  // namespace tarnwick::gui::dialog
