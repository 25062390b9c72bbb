// The instrument's engine: all state in one object, one numbered parameter space, the key rows and
// their edit operations, MIDI intake, grain schedules and the render. Not thread-safe by itself:
// the plug-in layer serialises every call (see docs/threads.md).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/AudioBuffer.h"
#include "engine/Constants.h"
#include "engine/Interfaces.h"
#include "engine/KeyRow.h"
#include "engine/ProgramRecord.h"
#include "engine/Voice.h"
#include "engine/morph/MorphState.h"

namespace tarnwick {

// Everything the engine owns, as plain fields; storage reads and restores it directly.
struct EngineState {
  float mainLevl = 0.75f;
  float masterGain = 0.5f;
  float trigmode = 0.0f;
  float move = 0.0f;
  float morph = 0.0f;
  float bufstart = 0.0f;
  float flood = 0.0f;
  float loadAudioButton = 0.0f;
  float bankMenuValue = 0.0f;
  float saveBankButton = 0.0f;
  float reservedScalar = 0.0f;  // carried through chunks unchanged
  float copyState[kCopySlots] = {};
  float pasteState[kCopySlots] = {};
  float options[kOptionCount] = {1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10.0f, 1.0f, 0.0f};
  float editMode = 0.0f;  // 0 Single Key Edit Mode, 1 Master Edit Mode
  int32_t editRow = 0;
  int32_t lastSelectedKey = 0;
  int32_t playRow = 0;
  int32_t keyCount = 128;
  int32_t lowKey = 0;
  int32_t highKey = 127;
  float delayUnit = 0.2f;
  float editRowGrainLength = 0.0f;
  float keySplitStart = 0.0f;
  float sampleRate = 44100.0f;
  double tempo = 120.0;
  bool engineBusy = true;
  int32_t floodSourceKey = 0;
  KeyRow rows[kRowCount];
  float copyBuffer[kCopySlots][kGrainCount];
  ProgramRecord program;
  int32_t currentProgram = 0;
  AudioBuffer buffer;
  Voice voices[kRowCount];

  bool masterEditMode() const { return editMode != 0.0f; }
  bool quantized() const;
};

// What a flood needs to know to build its arrays; taken under the engine lock, used outside it.
struct FloodPlan {
  const float* sourceLeft = nullptr;
  const float* sourceRight = nullptr;
  int32_t frameCount = 0;
  int32_t keyCount = 1;
  int32_t sourceStart = 0;
  int32_t grainLength = 0;
  uint32_t bufferGeneration = 0;
};

class Engine {
 public:
  explicit Engine(HostTime* hostTime = nullptr);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  void setEditor(EditorSink* editor) { editor_ = editor; }
  void setHostTime(HostTime* hostTime) { hostTime_ = hostTime; }

  EngineState& state() { return *s_; }
  const EngineState& state() const { return *s_; }

  // Parameters.
  void setParameter(int32_t index, float value);
  float getParameter(int32_t index);
  float readPeakLevel() { return peakLevel_.exchange(0.0f, std::memory_order_relaxed); }
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

  // Flood built outside the engine lock: plan it, build it, then offer it before setParameter(263).
  bool planFlood(FloodPlan& plan) const;
  void offerFlood(ChannelPair&& arrays, const FloodPlan& plan);

  // Replaces the stored recording with fresh arrays (load commit); the previous arrays go to the
  // discard pile so that they are freed outside the engine lock.
  void replaceBuffer(ChannelPair&& fresh);
  // Arrays replaced or released under the lock, to be destroyed by the caller afterwards.
  void takeDiscarded(ChannelPair out[3]);

  // MIDI and sound.
  void processMidi(const MidiMessage* messages, int32_t count);
  void noteStart(int32_t key, int32_t offset);
  void render(float* outL, float* outR, int32_t frames);

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
  float writeDelay(int32_t grain, float v);
  float writeUnitDura(float v);
  int32_t grainLengthForStep(int32_t step) const;
  void setDelayRange(float v);
  void setKeyMapping(float v);
  void runReset(float v);
  void refreshDelayUnit();
  void discard(ChannelPair&& arrays);
  void handleMessage(const MidiMessage& m);
  void noteOn(int32_t key, int32_t velocity, int32_t offset);
  void noteOff(int32_t key);
  void selectPlayRow(int32_t key);
  void layoutNormal(Voice& v, const KeyRow& row, int32_t key, int32_t offset);
  void layoutTrigger(Voice& v, const KeyRow& row, int32_t key, int32_t offset);
  void prepareMorph(Voice& v, int32_t sliceStart);
  void renderKey(int32_t key, float* outL, float* outR, int32_t frames);

  std::unique_ptr<EngineState> s_;
  std::unique_ptr<MorphState> morph_;  // one working set for every key: the morph is monophonic
  ChannelPair offeredFlood_;
  FloodPlan offeredPlan_;
  ChannelPair discarded_[3];
  EditorSink* editor_ = nullptr;
  HostTime* hostTime_ = nullptr;
  std::atomic<float> peakLevel_{0.0f};
  std::atomic<int32_t> playingGrain_{0};
  uint64_t grainSamples_ = 0;
  uint64_t grainRuns_ = 0;
};

}  // namespace tarnwick
