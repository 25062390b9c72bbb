// Modal message boxes. Without a window system the title and text go to standard error.
#pragma once

namespace tarnwick::platform {

enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

// [ui-thread] Shows the box and waits for the user. A Yes/No box without a window system answers No.
MessageBoxAnswer showMessageBox(const char* title, const char* text, MessageBoxButtons buttons);

// Replaces the presentation (tests script the answers; the editor may install a real dialog).
// Pass nullptr to restore the default.
using MessageBoxHandler = MessageBoxAnswer (*)(const char* title, const char* text, MessageBoxButtons buttons);
void setMessageBoxHandler(MessageBoxHandler handler);

}  // namespace tarnwick::platform
