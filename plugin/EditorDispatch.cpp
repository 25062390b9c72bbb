// The editor's requests from the host, the headless probe that drives the editor in an offscreen
// window, and the tools' question about the last recording load.
#include <algorithm>
#include <cstdio>

#include "core/EditorLink.h"
#include "editor/Layout.h"
#include "platform/OffscreenWindow.h"
#include "plugin/aPlug.h"
#include "vst/EditorProbe.h"
#include "vst/RecordingQuery.h"

namespace tarnwick {

intptr_t aPlug::dispatchEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  EditorLink* link = core_->editorLink();
  if (!link) return 0;  // editor requests without an editor
  ADEditor& editor = link->editor();
  switch (opcode) {
    case effEditGetRect: {
      gui::EditorRect* rect = nullptr;
      if (ptr == nullptr || !editor.getRect(&rect) || rect == nullptr) return 0;
      editorRect_ = ERect{rect->top, rect->left, rect->bottom, rect->right};
      *static_cast<ERect**>(ptr) = &editorRect_;
      return 1;
    }
    case effEditOpen: probeWindow_ = nullptr; return editor.open(ptr) ? 1 : 0;
    case effEditClose:
      probeWindow_ = nullptr;
      editor.close();
      return 1;
    case effEditIdle:
      if (!editor.isOpen()) return 0;
      editor.idle();
      return 1;
    case effEditKeyDown: return editor.onKeyDown(index, static_cast<int32_t>(value), static_cast<int32_t>(opt)) ? 1 : 0;
    case effEditKeyUp: return editor.onKeyUp(index, static_cast<int32_t>(value), static_cast<int32_t>(opt)) ? 1 : 0;
    case effSetEditKnobMode: return editor.setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effVendorSpecific:
      if (index == kContentScaleIndex && value == kContentScaleValue) {
        // A high-resolution host's content scale factor, in opt.
        if (!(opt > 0.0f)) return 0;
        editor.setHostScale(opt);
        return 1;
      }
      if (index != kEditorProbeIndex) return 0;
      return probe(static_cast<int32_t>(value), static_cast<EditorProbeRecord*>(ptr));
    default: return 0;
  }
}

intptr_t aPlug::probe(int32_t command, EditorProbeRecord* record) {
  if (record == nullptr || record->version != kEditorProbeVersion) return 0;
  ADEditor& editor = core_->editorLink()->editor();
  switch (command) {
    case kProbeOpen: {
      // The editor gives the window the size of its scale.
      auto window = std::make_unique<platform::OffscreenWindow>(layout::kWindowWidth, layout::kWindowHeight);
      platform::OffscreenWindow* raw = window.get();
      if (!editor.openOn(std::move(window))) return 0;
      probeWindow_ = raw;
      record->width = raw->width();
      record->height = raw->height();
      return 1;
    }
    case kProbeMouse:
      if (!probeWindow_) return 0;
      probeWindow_->queueMouse(record->x, record->y, record->buttons);
      return 1;
    case kProbeIdle:
      if (!probeWindow_ || record->count < 1 || record->count > 1000) return 0;
      for (int32_t i = 0; i < record->count && probeWindow_; ++i) editor.idle();
      return 1;
    case kProbeRead: {
      if (!probeWindow_) return 0;
      const int32_t w = probeWindow_->width(), h = probeWindow_->height();
      record->width = w;
      record->height = h;
      if (record->pixels == nullptr || record->pixelCapacity < w * h) return 0;
      const auto& pixels = probeWindow_->pixels();
      std::copy(pixels.begin(), pixels.end(), record->pixels);
      return 1;
    }
    case kProbeClose:
      probeWindow_ = nullptr;
      editor.close();
      return 1;
    default: return 0;
  }
}

intptr_t aPlug::answerRecordingQuery(RecordingQueryRecord* record) {
  if (record == nullptr || record->version != kRecordingQueryVersion) return 0;
  const RecordingStatus status = core_->recordingStatus();
  record->attempted = status.attempted ? 1 : 0;
  record->lastResult = status.lastResult;
  record->frameCount = status.frameCount;
  const char* text = status.attempted ? storageResultMessage(status.lastResult) : "";
  std::snprintf(record->message, sizeof record->message, "%s", text ? text : "");
  return 1;
}

}  // namespace tarnwick
