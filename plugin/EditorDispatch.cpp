// The editor's requests from the host, the headless probe that drives the editor in an offscreen
// window, and the tools' question about the last recording load.
#include <algorithm>
#include <cstdio>

#include "core/EditorLink.h"
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
    case effEditOpen: probe_.forget(); return editor.open(ptr) ? 1 : 0;
    case effEditClose:
      probe_.forget();
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
      return probe_.run(*link, static_cast<int32_t>(value), static_cast<EditorProbeRecord*>(ptr));
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
