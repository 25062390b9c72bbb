// The narrow seams between the engine and its surroundings: the editor and the host's clock.
#pragma once

#include <cstdint>

namespace tarnwick {

// The editor as the engine sees it: every parameter write ends with the final value echoed here.
// Implementations only store the value; they may be called on any thread.
class EditorSink {
 public:
  virtual ~EditorSink() = default;
  virtual void setParameter(int32_t index, float value) = 0;
};

// The host's time information: answers the tempo when the host reports one.
class HostTime {
 public:
  virtual ~HostTime() = default;
  virtual bool readTempo(int32_t requestMask, double& bpm) = 0;
};

// Request masks for the host's time information.
constexpr int32_t kTimeMaskResume = 0x2E00;  // PPQ position, tempo, bars, time signature
constexpr int32_t kTimeMaskTempo = 0x400;

// One short MIDI message with its sample offset into the coming block.
struct MidiMessage {
  int32_t deltaFrames = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

}  // namespace tarnwick
