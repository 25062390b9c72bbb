// The instrument's side of the editor: creates the ADEditor, serves it the instrument (gui::EditorHost for
// its writes, EditorModel for what it reads), answers the host's editor requests and the headless probe.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/ADEditor.h"
#include "editor/EditorActions.h"
#include "editor/EditorModel.h"
#include "gui/AEffGUIEditor.h"

namespace tarnwick {

class aPlug;
struct EngineState;
struct EditorProbeRecord;

namespace platform {
class OffscreenWindow;
}

class EditorLink final : public gui::EditorHost, public EditorModel, public EditorActions {
 public:
  explicit EditorLink(aPlug& plug);
  ~EditorLink() override;
  EditorLink(const EditorLink&) = delete;
  EditorLink& operator=(const EditorLink&) = delete;

  ADEditor& editor() { return *editor_; }

  // The host's editor requests (get-rect, open, close, idle, keys, knob mode) and the probe. [ui-thread]
  intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

  // gui::EditorHost [ui-thread]
  void setParameterAutomated(int32_t index, float value) override;
  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  void idleHost() override;

  // EditorModel
  void readLive(LiveState& live) override;
  float readPeakLevel() override;
  void readRow(int32_t row, RowSnapshot& snapshot) override;
  void readWave(WaveSummary& summary) override;
  void readCopyBuffer(float slots[kCopySlots][kGrainCount]) override;
  const char* recentFile(int32_t index) override;
  void parameterDisplay(int32_t index, char* text) override;
  void parameterLabel(int32_t index, char* text) override;
  void readStorageSummary(StorageSummary& summary) override;
  uint32_t recordingNoticeSerial() override;

  // EditorActions
  bool playNote(const MidiMessage& message) override;
  void sendToHost(const MidiMessage& message) override;
  StorageResult loadAudioFile(const char* path) override;
  StorageResult loadBank(const char* path) override;
  StorageResult saveBank(const char* path) override;
  void selectLastKey() override;
  const char* bankFileName() override;
  void setBankFileName(const char* path) override;
  bool addRecentFile(const char* path) override;
  bool hostHasFileSelector() override;
  bool runHostFileSelector(VstFileSelect& select, std::string& path) override;

 private:
  intptr_t probe(int32_t command, EditorProbeRecord* record);

  aPlug& plug_;
  std::unique_ptr<ADEditor> editor_;
  platform::OffscreenWindow* probeWindow_ = nullptr;  // owned by the editor's frame while the probe has it open
};

}  // namespace tarnwick
