// A plain, sample-at-a-time model of the instrument's note start, MIDI intake and render, kept
// free of shortcuts so that the engine's block-wise render can be compared with it sample by sample.
#pragma once

#include <cstdint>

#include "engine/Interfaces.h"

namespace tarnwick::test {

constexpr int kModelGrains = 32;
constexpr int kModelRows = 129;
constexpr int kModelMasterRow = 128;

struct ModelRow {
  float delayValue[kModelGrains];
  float delayTime[kModelGrains];
  float unitDura = 0.0f;
  int32_t grainLength = 0;
  float release = 0.0f;
  float envelope = 0.05f;
};

struct ModelSchedule {
  int32_t countdown[kModelGrains];
  int32_t remaining[kModelGrains];
  int32_t readPos[kModelGrains];
  int32_t fadeInLeft[kModelGrains];
  float fadeLength[kModelGrains];
  int64_t loopCountdown;
};

enum ModelKeyState { kModelIdle = 0, kModelHeld = 2, kModelReleased = 4 };

struct ModelVoice {
  int keyState = kModelIdle;
  int32_t velocity = 0;
  float amplitude = 0.0f;
  float releaseStep = 0.0f;
  int32_t loopMark = 0;
  ModelSchedule grains{};
};

class ReferenceModel {
 public:
  ReferenceModel();

  // Settings as the parameter interface leaves them. Rows are not re-derived by these: the
  // caller re-writes the rows it uses afterwards, as reapplyRows does.
  void setRecording(const float* left, const float* right, int32_t frames);
  void setSampleRate(float rate);
  void setRange(int range);
  void setMapping(int mapping);
  void setMainLevl(float v) { masterGain = v * v * 2.0f; }

  // Row writes as the parameter interface performs them under the current settings.
  void writeDelay(int row, int grain, float v);
  void writeUnitDura(int row, float v);
  void writeRelease(int row, float v) { rows[row].release = v; }
  void writeEnvelope(int row, float v) { rows[row].envelope = v < 0.01f ? 0.01f : v; }
  // Derives a row's grain length and delay times again from its stored values.
  void reapplyRow(int row);

  void silenceAll();
  void processEvents(const MidiMessage* messages, int count);
  void noteStart(int key, int32_t offset);
  // hostTempo: what the host reports for this block, or nullptr when it reports nothing.
  void render(float* outL, float* outR, int32_t n, const double* hostTempo);
  float readPeak() {
    const float p = peakLevel;
    peakLevel = 0.0f;
    return p;
  }

  ModelRow rows[kModelRows];
  ModelVoice voices[kModelRows];
  float sampleRate = 44100.0f;
  double tempo = 120.0;
  int range = 0;
  float delayUnit = 0.2f * 44100.0f;
  int keyCount = 61;
  int lowKey = 36;
  int highKey = 96;
  float trigmode = 0.0f;
  float move = 0.0f;
  float bufstart = 0.0f;
  float morph = 0.0f;
  bool masterEditMode = true;
  int playRow = kModelMasterRow;
  int lastSelectedKey = 36;
  int32_t playingGrain = 0;
  float masterGain = 0.5f;
  float peakLevel = 0.0f;
  const float* left = nullptr;
  const float* right = nullptr;
  int32_t frameCount = 0;
  int64_t retriggers = 0;  // loop re-triggers so far, so that tests can prove their loops ran

 private:
  void noteOn(int key, int velocity, int32_t delta);
  void noteOff(int key);
  void cutAllGrains();
  void renderKey(int key, float* outL, float* outR, int32_t n);
  // Plays count samples of grain g from output index i; c counts the grain's samples left.
  void play(int key, int g, int32_t i, int64_t count, int64_t c, float a, float s, float* outL, float* outR);
  float source(const float* channel, int64_t pos) const;
  void layoutNormal(int key, const ModelRow& row, int64_t sliceStart, int32_t offset);
  void layoutTrigger(int key, const ModelRow& row, int64_t sliceStart, int32_t offset);
};

}  // namespace tarnwick::test
