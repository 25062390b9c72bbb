// The instrument's engine: its state, the numbered parameter space with the edit operations behind it,
// and (when it plays) the voices, MIDI intake, grain schedules and the render. Single-threaded: the
// plug-in keeps one engine per side (a model on the user-interface side, the playing engine on the
// audio side) and hands states between them (docs/threads.md).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/AudioStore.h"
#include "engine/EngineState.h"
#include "engine/Interfaces.h"
#include "engine/ParameterTable.h"
#include "engine/RowDerivation.h"
#include "engine/Voice.h"
#include "engine/morph/MorphState.h"

namespace tarnwick {

// [any-thread] Brings what the render cannot sum (NaN, infinities, absurd magnitudes) into range in both
// channels, guard samples included; only reads them when all are in range.
void keepRecordingPlayable(ChannelPair& arrays);

class Engine {
 public:
  enum class Role {
    kPlays,  // voices, MIDI and render: the audio side, and a whole instrument in tests
    kModel,  // state only: the user-interface side's copy, which never sounds
  };

  explicit Engine(HostTime* hostTime = nullptr, Role role = Role::kPlays);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void setEditor(EditorSink* editor) { editor_ = editor; }
  bool plays() const { return voices_ != nullptr; }

  EngineState& state() { return *s_; }
  const EngineState& state() const { return *s_; }

  // Parameters: every change passes setParameter, which admits the value into the index's range,
  // runs the index's behaviour and echoes the final value to the editor.
  void setParameter(int32_t index, float value);
  float getParameter(int32_t index);
  float readPeakLevel() { return peakLevel_.exchange(0.0f, std::memory_order_relaxed); }
  // [any-thread] The largest output magnitude (either sign) since the last read, for the level meter;
  // cleared by the same exchange.
  float readMeterPeak() { return meterPeak_.exchange(0.0f, std::memory_order_relaxed); }
  int32_t playingGrain() const { return playingGrain_.load(std::memory_order_relaxed); }

  // Host start-up and edit operations.
  void resume(float hostSampleRate);
  void silenceAll();
  void reapplyRows();
  void selectKey(int32_t key);
  void loadProgram(int32_t program);
  void applyOptions();
  void resetDelays();
  void resetCopyBuffer();
  void toggleEditMode();
  void copy(int32_t slot);
  void paste(int32_t slot);
  int32_t flood(float v);
  // Sends the edit row's 35 values to the editor.
  void echoEditRow();

  // The recording: fresh arrays replace the stored ones (the previous ones are retired, see
  // AudioStore); flood is switched off first.
  // playable: keepRecordingPlayable has been applied to fresh already (by the thread that read it).
  void replaceBuffer(ChannelPair&& fresh, bool playable = false);
  // A load's commit: silences every key, switches flood off, swaps the arrays in, marks the buffer
  // saved, stores the path (when one is given), re-derives every row and tells the editor.
  void commitRecording(ChannelPair&& arrays, const char* path, bool playable = false);
  AudioStore& store() { return store_; }

  // MIDI and sound (Role::kPlays only).
  void processMidi(const MidiMessage* messages, int32_t count);
  void noteStart(int32_t key, int32_t offset);
  void render(float* outL, float* outR, int32_t frames);
  // Stops the voices when the state carries a silence request they have not followed yet (a state
  // handed over from the other side). Called before MIDI and render.
  void followSilenceRequests();
  Voice& voice(int32_t key) { return voices_[key]; }

  // Samples played by all grains so far, and grain runs (a grain's part within one block); for
  // benchmarks that report cost per grain-sample.
  uint64_t grainSamplesPlayed() const { return grainSamples_; }
  uint64_t grainRunsPlayed() const { return grainRuns_; }

  // The morph's per-grain source buffers (kMorphGrainCapacity + 1 samples each).
  float* morphGrainBuffer(int32_t grain) { return morph_->grainBuffer(grain); }
  MorphState& morph() { return *morph_; }

 private:
  void echo(int32_t index, float v) {
    if (editor_) editor_->setParameter(index, v);
  }
  RowContext rowContext() const;
  // The behaviour of a write; v may be replaced by the value to echo.
  void write(const ParameterInfo& info, int32_t index, float& v);
  float* storedValue(const ParameterInfo& info, int32_t index);
  float writeDelay(int32_t grain, float v);
  float writeUnitDura(float v);
  void setLayoutSwitch(float EngineState::*field, float v);
  void setDelayRange(float v);
  void setKeyMapping(float v);
  void runReset(float v);
  void refreshDelayUnit();
  void silenceVoices();
  void handleMessage(const MidiMessage& m);
  void noteOn(int32_t key, int32_t velocity, int32_t offset);
  void noteOff(int32_t key);
  void selectPlayRow(int32_t key);
  void layoutNormal(Voice& v, const KeyRow& row, int32_t key, int32_t offset);
  void layoutTrigger(Voice& v, const KeyRow& row, int32_t key, int32_t offset);
  void prepareMorph(Voice& v, int32_t sliceStart);
  void renderKey(int32_t key, float* outL, float* outR, int32_t frames);
  // Raises an exchanged maximum to value without losing a reader's clear.
  static void raise(std::atomic<float>& slot, float value);

  std::unique_ptr<EngineState> s_;
  std::unique_ptr<Voice[]> voices_;    // kRowCount voices; null in a model
  std::unique_ptr<MorphState> morph_;  // one working set for every key: the morph is monophonic
  AudioStore store_;
  uint32_t silencedAt_ = 0;  // the silence request the voices last followed
  EditorSink* editor_ = nullptr;
  HostTime* hostTime_ = nullptr;
  std::atomic<float> peakLevel_{0.0f};
  std::atomic<float> meterPeak_{0.0f};
  std::atomic<int32_t> playingGrain_{0};
  uint64_t grainSamples_ = 0;
  uint64_t grainRuns_ = 0;
};

}  // namespace tarnwick
