// The system's Open and Save dialogs on Windows (the common dialogs), run modally.
#pragma once

#include <string>

#include "platform/FileDialogRequest.h"

namespace tarnwick::platform {

enum class CommonDialogResult { kChosen, kCancelled, kFailed };

// [ui-thread] Shows the dialog owned by owner's top-level window (an HWND; null: unowned) and waits: the
// dialog runs the message loop meanwhile, so the host keeps painting. It starts in the request's folder
// with its file types and proposed name (UTF-8), never changes the process's current folder, asks
// nothing about overwriting (the instrument does) and for opening accepts existing files only.
// kChosen sets path (UTF-8); kFailed: the dialog could not run.
CommonDialogResult runCommonFileDialog(const FileDialogRequest& request, void* owner, std::string& path);

}  // namespace tarnwick::platform
