// The instrument as an LV2 plug-in instance: its ports, the atom input (MIDI and the host's time
// position), the session state through the state extension, and the host services an LV2 host offers.
#pragma once

#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <array>
#include <atomic>
#include <memory>

#include "core/EditorProbe.h"
#include "core/HostServices.h"
#include "core/Instrument.h"
#include "plugin/lv2/InstanceAccess.h"
#include "plugin/lv2/PortLayout.h"

namespace tarnwick::lv2 {

class Lv2Instrument final : public HostServices, public EditorAccess {
 public:
  // Null when the host lacks urid:map (the Turtle requires it) or the instrument cannot be made.
  static Lv2Instrument* create(double sampleRate, const LV2_Feature* const* features);
  ~Lv2Instrument() override = default;

  Instrument& core() { return *core_; }

  void connect(uint32_t port, void* data);  // [audio-thread] (instantiation class)
  void activate();                          // [main-thread]
  void run(uint32_t frames);                // [audio-thread]

  LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle,
                        const LV2_Feature* const* features);  // [main-thread]
  LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                           const LV2_Feature* const* features);  // [main-thread]

  // [worker-thread] A recording the host set (patch:Set of the recording property) is loaded here, off
  // the audio thread; the instrument swaps it in at a block's start. The path arrives as its bytes.
  LV2_Worker_Status work(LV2_Worker_Respond_Function respond, LV2_Worker_Respond_Handle handle, uint32_t size,
                         const void* data);

  // HostServices: the tempo the host's time position gave last; the editor's changes and gestures reach
  // the host as the open UI's port writes and touches (none while no UI is open).
  bool tempo(int32_t requestMask, double& bpm) override;
  void automate(int32_t index, float value) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  bool sizeWindow(int32_t width, int32_t height) override;
  platform::MessageBoxAnswer notify(const char* title, const char* text, platform::MessageBoxButtons buttons) override;

  // EditorAccess [ui-thread]: the UI binary's way to this instance's editor.
  bool openEditor(uintptr_t parent, double scale, EditorPort* port) override;
  uintptr_t editorWindow() override;
  void editorSize(int32_t& width, int32_t& height) override;
  bool idleEditor() override;
  void closeEditor() override;
  void setEditorScale(double scale) override;
  intptr_t probeEditor(int32_t command, void* record) override;
  void recordingStatus(int32_t& attempted, int32_t& result, char* message, int32_t capacity) override;

 private:
  struct Uris {
    LV2_URID atomChunk, atomPath, atomFloat, atomDouble, atomObject, atomBlank, midiEvent, timePosition, timeBpm,
        stateRecord, stateRecording, logWarning, atomUrid, patchSet, patchProperty, patchValue;
  };
  Lv2Instrument(LV2_URID_Map* map, LV2_Log_Log* log, LV2_Worker_Schedule* schedule);
  void readControl(const void* sequence, uint32_t frames);
  void readPatchSet(const void* object);  // [audio-thread]

  Uris uris_{};
  LV2_Log_Log* log_;
  LV2_Worker_Schedule* schedule_;  // null when the host offers no worker: a recording then comes by state
  std::array<const float*, kHostParamCount> controls_{};
  std::array<float, kHostParamCount> applied_{};  // the port values last given to the instrument
  const void* controlIn_ = nullptr;               // LV2_Atom_Sequence
  float* outLeft_ = nullptr;
  float* outRight_ = nullptr;
  float* peak_ = nullptr;
  std::atomic<double> tempo_{0.0};  // 0 until the host reports one
  EditorPort* port_ = nullptr;      // the open UI's; [ui-thread]
  EditorProbe probe_;
  std::unique_ptr<Instrument> core_;
};

}  // namespace tarnwick::lv2
