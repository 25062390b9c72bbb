// Message boxes as modal top-level windows of the toolkit, for platform::showMessageBox.
#pragma once

#include <memory>
#include <optional>

#include "platform/EditorWindow.h"
#include "platform/MessageBox.h"

namespace tarnwick::gui {

// [ui-thread] Shows the box in a top-level window of its own (centred, named after the title) and waits
// for the answer in a loop of its own, keeping the window painted. nullopt when no window can be made (no
// display). Closing the window answers OK or No.
std::optional<platform::MessageBoxAnswer> showMessageWindow(const char* title, const char* text,
                                                            platform::MessageBoxButtons buttons);

// [ui-thread] The same on a window the caller made (tests pass an OffscreenWindow, sized with
// CMessageView::sizeFor). The loop also ends, answering OK or No, when the window reports that nothing
// will ever arrive again.
platform::MessageBoxAnswer runMessageWindow(std::unique_ptr<platform::EditorWindow> window, const char* title,
                                            const char* text, platform::MessageBoxButtons buttons);

// Makes showMessageWindow the presenter of platform::showMessageBox; without a display the boxes keep
// going to standard error.
void installToolkitMessageBoxes();

}  // namespace tarnwick::gui
