// Message boxes: a replaceable handler, a presenter with a window, by default a report on standard error.
#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace tarnwick::platform {

namespace {

std::atomic<MessageBoxHandler> gHandler{nullptr};
std::atomic<MessageBoxPresenter> gPresenter{nullptr};
std::atomic<void*> gOwner{nullptr};

MessageBoxAnswer reportOnStderr(const char* title, const char* text, MessageBoxButtons buttons) {
  std::fprintf(stderr, "[%s]\n%s\n", title ? title : "", text ? text : "");
  std::fflush(stderr);
  return buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
}

}  // namespace

MessageBoxAnswer showMessageBox(const char* title, const char* text, MessageBoxButtons buttons) {
  if (MessageBoxHandler handler = gHandler.load()) return handler(title, text, buttons);
  if (MessageBoxPresenter presenter = gPresenter.load()) {
    if (const std::optional<MessageBoxAnswer> answer = presenter(title, text, buttons)) return *answer;
  }
  return reportOnStderr(title, text, buttons);
}

void setMessageBoxHandler(MessageBoxHandler handler) { gHandler.store(handler); }

void setMessageBoxPresenter(MessageBoxPresenter presenter) { gPresenter.store(presenter); }

void setMessageBoxOwner(void* nativeWindow) { gOwner.store(nativeWindow); }

void* messageBoxOwner() { return gOwner.load(); }

}  // namespace tarnwick::platform
