// Message boxes: a replaceable handler, by default a report on standard error.
#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace tarnwick::platform {

namespace {

std::atomic<MessageBoxHandler> gHandler{nullptr};

MessageBoxAnswer reportOnStderr(const char* title, const char* text, MessageBoxButtons buttons) {
  std::fprintf(stderr, "[%s]\n%s\n", title ? title : "", text ? text : "");
  std::fflush(stderr);
  return buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
}

}  // namespace

MessageBoxAnswer showMessageBox(const char* title, const char* text, MessageBoxButtons buttons) {
  MessageBoxHandler handler = gHandler.load();
  return handler ? handler(title, text, buttons) : reportOnStderr(title, text, buttons);
}

void setMessageBoxHandler(MessageBoxHandler handler) { gHandler.store(handler); }

}  // namespace tarnwick::platform
