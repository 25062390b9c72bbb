// The instrument's side of the editor: creates the ADEditor and serves it the instrument (gui::EditorHost
// for its writes, EditorModel for what it reads, EditorActions for the rest), through the instrument's
// main-thread entry points and the host's services. Knows no plug-in format.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/ADEditor.h"
#include "editor/EditorActions.h"
#include "editor/EditorModel.h"
#include "gui/AEffGUIEditor.h"

namespace tarnwick {

class Instrument;

class EditorLink final : public gui::EditorHost, public EditorModel, public EditorActions {
 public:
  explicit EditorLink(Instrument& instrument);
  ~EditorLink() override;
  EditorLink(const EditorLink&) = delete;
  EditorLink& operator=(const EditorLink&) = delete;

  ADEditor& editor() { return *editor_; }

  // gui::EditorHost [ui-thread]
  void setParameterAutomated(int32_t index, float value) override;
  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  void idleHost() override;
  bool sizeWindow(int32_t width, int32_t height) override;

  // EditorModel
  void catchUp() override;
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
  bool startAudioLoad(const char* path) override;
  AudioLoadProgress pollAudioLoad() override;
  void endAudioLoads() override;
  StorageResult loadBank(const char* path) override;
  StorageResult saveBank(const char* path) override;
  void selectLastKey() override;
  const char* bankFileName() override;
  void setBankFileName(const char* path) override;
  bool addRecentFile(const char* path) override;
  void previewRecording(const char* path) override;
  bool hostHasFileSelector() override;
  bool runHostFileSelector(const FileSelectRequest& request, std::string& path) override;

 private:
  Instrument& core_;
  std::unique_ptr<ADEditor> editor_;
};

}  // namespace tarnwick
