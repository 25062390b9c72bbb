// Toolkit message boxes: a frame on a top-level window with a CMessageView, run until answered.
#include "gui/CMessageWindow.h"

#include <utility>

#include "gui/CFrame.h"
#include "gui/CMessageView.h"

namespace tarnwick::gui {

namespace {

constexpr int32_t kWaitMs = 50;  // the loop sleeps in the window system between events

}  // namespace

platform::MessageBoxAnswer runMessageWindow(std::unique_ptr<platform::EditorWindow> window, const char* title,
                                            const char* text, platform::MessageBoxButtons buttons) {
  if (!window)
    return buttons == platform::MessageBoxButtons::kOk ? platform::MessageBoxAnswer::kOk
                                                       : platform::MessageBoxAnswer::kNo;
  const CRect rect(0, 0, window->width(), window->height());
  auto* frame = new CFrame(rect, std::move(window), nullptr);
  auto* view = new CMessageView(rect, title ? title : "", text ? text : "", buttons);
  frame->addView(view);
  frame->setModalView(view);
  platform::EditorWindow* raw = frame->getPlatformWindow();
  platform::MessageBoxAnswer answer = view->dismissal();
  for (;;) {
    frame->idle();  // input, then drawing; also repaints what was uncovered
    if (const auto given = view->answer()) {
      answer = *given;
      break;
    }
    if (frame->isCloseRequested() || !raw->waitForEvents(kWaitMs)) break;
  }
  frame->forget();
  return answer;
}

std::optional<platform::MessageBoxAnswer> showMessageWindow(const char* title, const char* text,
                                                            platform::MessageBoxButtons buttons) {
  const CPoint size = CMessageView::sizeFor(title, text);
  std::unique_ptr<platform::EditorWindow> window = platform::createTopLevelWindow(size.x, size.y, title ? title : "");
  if (!window) return std::nullopt;
  return runMessageWindow(std::move(window), title, text, buttons);
}

void installToolkitMessageBoxes() { platform::setMessageBoxPresenter(&showMessageWindow); }

}  // namespace tarnwick::gui
