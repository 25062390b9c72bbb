// Helpers shared by the engine tests: an editor that records echoes, a host clock whose tempo a
// test sets between blocks, recordings built in memory and MIDI message builders.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/Engine.h"

namespace tarnwick::test {

class RecordingEditor : public EditorSink {
 public:
  void setParameter(int32_t index, float value) override { echoes.emplace_back(index, value); }

  // The value last echoed for index; false when none was.
  bool last(int32_t index, float& value) const {
    for (auto it = echoes.rbegin(); it != echoes.rend(); ++it) {
      if (it->first == index) {
        value = it->second;
        return true;
      }
    }
    return false;
  }

  std::vector<std::pair<int32_t, float>> echoes;
};

class FakeHostTime : public HostTime {
 public:
  bool readTempo(int32_t requestMask, double& bpm) override {
    masks.push_back(requestMask);
    if (!available) return false;
    bpm = tempo;
    return true;
  }

  double tempo = 120.0;
  bool available = true;
  std::vector<int32_t> masks;
};

// Distinct, deterministic sample values in -1..1, different per channel, so that a grain reading
// from the wrong frame shows in the output.
inline float sampleValue(int channel, int32_t frame) {
  uint32_t x = static_cast<uint32_t>(frame) * 2654435761u + static_cast<uint32_t>(channel) * 40503u + 12345u;
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return static_cast<float>(x & 0xFFFF) / 32768.0f - 1.0f;
}

// frames + 1 samples per channel; the last one is the zero guard sample.
inline ChannelPair makeRecording(int32_t frames) {
  ChannelPair p;
  p.frameCount = frames;
  p.left.reset(new float[static_cast<size_t>(frames) + 1]);
  p.right.reset(new float[static_cast<size_t>(frames) + 1]);
  for (int32_t i = 0; i < frames; ++i) {
    p.left[i] = sampleValue(0, i);
    p.right[i] = sampleValue(1, i);
  }
  p.left[frames] = 0.0f;
  p.right[frames] = 0.0f;
  return p;
}

inline ChannelPair makeConstantRecording(int32_t frames, float value) {
  ChannelPair p;
  p.frameCount = frames;
  p.left.reset(new float[static_cast<size_t>(frames) + 1]);
  p.right.reset(new float[static_cast<size_t>(frames) + 1]);
  for (int32_t i = 0; i < frames; ++i) p.left[i] = p.right[i] = value;
  p.left[frames] = p.right[frames] = 0.0f;
  return p;
}

// A constructed engine with a recording and a first resume, as the plug-in brings it up.
inline void bringUp(Engine& e, int32_t frames, float sampleRate = 44100.0f) {
  if (frames > 0) e.replaceBuffer(makeRecording(frames));
  e.resume(sampleRate);
}

inline MidiMessage noteOn(int key, int velocity, int delta = 0, int channel = 0) {
  MidiMessage m;
  m.deltaFrames = delta;
  m.status = static_cast<uint8_t>(0x90 | (channel & 0x0F));
  m.data1 = static_cast<uint8_t>(key);
  m.data2 = static_cast<uint8_t>(velocity);
  return m;
}

inline MidiMessage noteOff(int key, int delta = 0, int channel = 0) {
  MidiMessage m;
  m.deltaFrames = delta;
  m.status = static_cast<uint8_t>(0x80 | (channel & 0x0F));
  m.data1 = static_cast<uint8_t>(key);
  m.data2 = 64;
  return m;
}

inline MidiMessage controller(int number, int value, int delta = 0, int channel = 0) {
  MidiMessage m;
  m.deltaFrames = delta;
  m.status = static_cast<uint8_t>(0xB0 | (channel & 0x0F));
  m.data1 = static_cast<uint8_t>(number);
  m.data2 = static_cast<uint8_t>(value);
  return m;
}

inline void send(Engine& e, std::initializer_list<MidiMessage> messages) {
  std::vector<MidiMessage> v(messages);
  e.processMidi(v.data(), static_cast<int32_t>(v.size()));
}

// Renders frames samples in blocks of blockSize and returns the left channel.
inline std::vector<float> renderLeft(Engine& e, int32_t frames, int32_t blockSize) {
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  for (int32_t at = 0; at < frames; at += blockSize) {
    const int32_t n = std::min(blockSize, frames - at);
    e.render(left.data() + at, right.data() + at, n);
  }
  return left;
}

}  // namespace tarnwick::test
