// Drives the engine and the reference model with the same settings, rows, MIDI and host tempo,
// block by block, and compares outputs, peak, playing grain and the played keys' schedules.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "ReferenceModel.h"
#include "engine/Engine.h"

namespace tarnwick::test {

struct RowSettings {
  float unitDura = 0.0f;
  float release = 0.0f;
  float envelope = 0.05f;
  std::array<float, 32> delays{};
};

struct Scene {
  int32_t frames = 61 * 1500;
  float sampleRate = 44100.0f;
  double tempo = 120.0;  // what the host reports at resume
  int range = 0;
  int mapping = 3;
  float trigmode = 0.0f;
  float move = 0.0f;
  float bufstart = 0.0f;
  float mainLevl = 0.5f;
  bool singleKeyMode = false;
  RowSettings master;
  std::vector<std::pair<int, RowSettings>> keyRows;  // rows of single keys (Single Key Edit Mode)
};

struct TimedEvent {
  int64_t at = 0;  // sample time at which the block carrying it starts or contains it
  MidiMessage message;
  int32_t lateBy = 0;  // extra deltaFrames beyond the event's place in its block
};

struct TempoChange {
  int64_t at = 0;  // applies to every block starting at or after this sample
  double bpm = 120.0;
  bool available = true;
};

struct RunStats {
  int64_t samples = 0;
  int64_t audible = 0;  // samples where the model's output is not zero
  int64_t inexact = 0;  // samples where engine and model differ at all
  double worst = 0.0;   // largest difference relative to the block's peak
  bool failed = false;
  std::string failure;
};

class Harness {
 public:
  explicit Harness(const Scene& setup);

  // Extra events for the next block, decided after each block (e.g. after a loop re-trigger).
  using NextBlockEvents = std::function<std::vector<MidiMessage>(Harness&)>;

  RunStats run(const std::vector<TimedEvent>& events, int64_t total, const std::vector<int32_t>& blocks,
               const std::vector<TempoChange>& tempo = {}, const NextBlockEvents& next = nullptr);

  FakeHostTime clock;
  Engine engine{&clock};
  ReferenceModel model;
  std::vector<float> left, right;  // the model's copy of the recording (frames + 1)

 private:
  void applyRow(int row, const RowSettings& settings);
  bool compareState(int key, int64_t block, std::string& why);
  std::vector<int> keysOfInterest_;
};

// Block-size patterns that every render comparison runs under.
std::vector<std::vector<int32_t>> blockPatterns();
std::string patternName(const std::vector<int32_t>& blocks);

// A delay shape with distinct gaps (values in the millisecond ranges, none below the floor).
std::array<float, 32> shapeOf(std::initializer_list<float> values, float fill);

}  // namespace tarnwick::test
