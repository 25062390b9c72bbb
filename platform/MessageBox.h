// Modal message boxes: scripted answers (tests), else a presenter's real window (the toolkit's, when a
// display is available), else the title and text on standard error.
#pragma once

#include <optional>

namespace tarnwick::platform {

enum class MessageBoxButtons { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo };

// [ui-thread] Shows the box and waits for the user. Asks the handler when one is set; else the presenter,
// when one is set and could show the box; else reports on standard error, where a Yes/No box answers No.
MessageBoxAnswer showMessageBox(const char* title, const char* text, MessageBoxButtons buttons);

// Replaces the presentation altogether (tests script the answers). Pass nullptr to remove it.
using MessageBoxHandler = MessageBoxAnswer (*)(const char* title, const char* text, MessageBoxButtons buttons);
void setMessageBoxHandler(MessageBoxHandler handler);

// Shows the box in a window of its own; nullopt when it cannot (no display), and the report on standard
// error stands in. Pass nullptr to remove it.
using MessageBoxPresenter = std::optional<MessageBoxAnswer> (*)(const char* title, const char* text,
                                                                MessageBoxButtons buttons);
void setMessageBoxPresenter(MessageBoxPresenter presenter);

// [ui-thread] The native window (an HWND on Windows) that owns the boxes a presenter shows: the editor
// sets its host window while it is open and nullptr when it closes. Unowned boxes stand on their own.
void setMessageBoxOwner(void* nativeWindow);
void* messageBoxOwner();

}  // namespace tarnwick::platform
