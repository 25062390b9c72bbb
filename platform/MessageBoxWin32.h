// Message boxes as the system's own (MessageBoxW), owned by the editor's window while it is open.
#pragma once

#include <optional>

#include "platform/MessageBox.h"

namespace tarnwick::platform {

// [ui-thread] Shows the box modally (the system runs its loop, so the host keeps painting) and returns
// the answer; nullopt when the system cannot show it. Title and text are UTF-8.
std::optional<MessageBoxAnswer> showSystemMessageBox(const char* title, const char* text, MessageBoxButtons buttons);

// Makes showSystemMessageBox the presenter of showMessageBox.
void installSystemMessageBoxes();

}  // namespace tarnwick::platform
