#include "core/EditorProbe.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "core/EditorLink.h"
#include "editor/Layout.h"
#include "platform/OffscreenWindow.h"

namespace tarnwick {

intptr_t EditorProbe::run(EditorLink& link, int32_t command, EditorProbeRecord* record) {
  if (record == nullptr) return 0;
  const bool firstVersion =
      record->version == kEditorProbeFirstVersion && command >= kProbeOpen && command <= kProbeClose;
  if (record->version != kEditorProbeVersion && !firstVersion) return 0;
  ADEditor& editor = link.editor();
  switch (command) {
    case kProbeOpen: {
      // The editor gives the window the size of its scale.
      auto window = std::make_unique<platform::OffscreenWindow>(layout::kWindowWidth, layout::kWindowHeight);
      platform::OffscreenWindow* raw = window.get();
      if (!editor.openOn(std::move(window))) return 0;
      window_ = raw;
      record->width = raw->width();
      record->height = raw->height();
      return 1;
    }
    case kProbeMouse:
      if (!window_) return 0;
      window_->queueMouse(record->x, record->y, record->buttons);
      return 1;
    case kProbeIdle:
      if (!window_ || record->count < 1 || record->count > 1000) return 0;
      for (int32_t i = 0; i < record->count && window_; ++i) editor.idle();
      return 1;
    case kProbeRead: {
      if (!window_) return 0;
      const int32_t w = window_->width(), h = window_->height();
      record->width = w;
      record->height = h;
      if (record->pixels == nullptr || record->pixelCapacity < w * h) return 0;
      const auto& pixels = window_->pixels();
      std::copy(pixels.begin(), pixels.end(), record->pixels);
      return 1;
    }
    case kProbeClose:
      window_ = nullptr;
      editor.close();
      return 1;
    case kProbeDrop: {
      if (!window_ || record->path == nullptr || record->path[0] == '\0') return 0;
      platform::FileDrag drag;
      drag.paths.emplace_back(record->path);
      window_->queueDrop(drag, record->x, record->y);
      return 1;
    }
    case kProbeStatus: {
      if (!window_ || record->text == nullptr || record->textCapacity < 1) return 0;
      const char* shown = editor.statusText();
      const size_t length = std::strlen(shown);
      if (length + 1 > static_cast<size_t>(record->textCapacity)) return 0;
      std::memcpy(record->text, shown, length + 1);
      return 1;
    }
    case kProbeLoading:
      if (!window_) return 0;
      record->count = editor.loadingPercent();
      return 1;
    default: return 0;
  }
}

}  // namespace tarnwick
