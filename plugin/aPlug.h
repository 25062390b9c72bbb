// The instrument as a VST 2.4 host sees it: the effect record, the dispatcher's operations and the
// host's callback. Everything else is the format-neutral Instrument (core/Instrument.h); this class
// translates between the two and fills the instrument's host services from the callback.
#pragma once

#include <cstdint>
#include <memory>

#include "core/EditorProbe.h"
#include "core/HostServices.h"
#include "core/Instrument.h"
#include "vst/VstInterface.h"

namespace tarnwick {

struct RecordingQueryRecord;

class aPlug final : public HostServices {
 public:
  explicit aPlug(audioMasterCallback host);
  ~aPlug() override;
  aPlug(const aPlug&) = delete;
  aPlug& operator=(const aPlug&) = delete;

  AEffect* effect() { return &effect_; }
  static aPlug* fromEffect(AEffect* e) { return e ? static_cast<aPlug*>(e->object) : nullptr; }
  Instrument& core() { return *core_; }

  // The effect record's entries.
  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);  // [main-thread]
  // The host may call these two from any thread: writes are posted, reads come from atomics.
  void setParameter(int32_t index, float value) { core_->postParameter(index, value); }  // [any-thread]
  float getParameter(int32_t index) { return core_->readParameter(index); }              // [any-thread]
  int32_t processEvents(const VstEvents* events);                                        // [audio-thread]
  // The session record for the host (effGetChunk, effSetChunk): a program and a bank chunk are the same. [main-thread]
  int32_t getChunk(void** data);
  int32_t setChunk(const void* data, intptr_t size);
  void processReplacing(float** inputs, float** outputs, int32_t frames);  // [audio-thread]

  // HostServices, through the host's callback.
  bool tempo(int32_t requestMask, double& bpm) override;
  void automate(int32_t index, float value) override;
  void beginEdit(int32_t index) override;
  void endEdit(int32_t index) override;
  bool hasFileSelector() override;
  bool runFileSelector(const FileSelectRequest& request, std::string& path) override;
  void sendMidi(const MidiMessage& message) override;
  void idle() override;
  bool sizeWindow(int32_t width, int32_t height) override;

 private:
  intptr_t callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  // The editor's requests (get-rect, open, close, idle, keys, knob mode) and the headless probe.
  intptr_t dispatchEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  // Tools' question about the last recording load (vst/RecordingQuery.h).
  intptr_t answerRecordingQuery(RecordingQueryRecord* record);

  AEffect effect_{};
  audioMasterCallback host_;
  std::unique_ptr<Instrument> core_;
  ERect editorRect_{};  // what effEditGetRect hands the host
  EditorProbe probe_;
};

}  // namespace tarnwick
