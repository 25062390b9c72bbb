// What every fuzz target checks after it restored an input: the instance plays notes on every key
// region for a few blocks, and every sample it renders is finite.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/aPlug.h"

namespace tarnwick::fuzz {

// A 16-bit mono 44.1 kHz WAV of frames samples: a sine with a little of every harmonic.
inline bool writeRecording(const std::string& path, int32_t frames) {
  std::vector<uint8_t> b;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
  };
  tag("RIFF");
  u32(36 + 2 * static_cast<uint32_t>(frames));
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(44100);
  u32(88200);
  u16(2);
  u16(16);
  tag("data");
  u32(2 * static_cast<uint32_t>(frames));
  for (int32_t i = 0; i < frames; ++i) {
    const double x = std::sin(0.05 * i) + 0.3 * std::sin(0.31 * i) + 0.1 * std::sin(1.7 * i);
    u16(static_cast<uint16_t>(static_cast<int16_t>(x * 20000.0)));
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
}

inline void playAndCheckFinite(aPlug& plug) {
  constexpr int32_t kFrames = 256;
  static std::vector<float> left(kFrames), right(kFrames);
  float* outs[2] = {left.data(), right.data()};
  constexpr int kKeys = 3;
  VstMidiEvent events[kKeys] = {};
  struct {
    int32_t numEvents = 0;
    intptr_t reserved = 0;
    VstEvent* events[kKeys] = {};
  } list;
  const uint8_t keys[kKeys] = {36, 60, 96};  // the lowest, a middle and the highest key of the factory mapping
  for (int pass = 0; pass < 2; ++pass) {
    list.numEvents = kKeys;
    for (int i = 0; i < kKeys; ++i) {
      events[i] = VstMidiEvent{};
      events[i].type = kVstMidiType;
      events[i].byteSize = sizeof(VstMidiEvent);
      events[i].deltaFrames = 17 * i;
      events[i].midiData[0] = static_cast<char>(pass == 0 ? 0x90 : 0x80);
      events[i].midiData[1] = static_cast<char>(keys[i]);
      events[i].midiData[2] = static_cast<char>(100);
      list.events[i] = reinterpret_cast<VstEvent*>(&events[i]);
    }
    plug.processEvents(reinterpret_cast<const VstEvents*>(&list));
    for (int block = 0; block < 2; ++block) {
      plug.processReplacing(nullptr, outs, kFrames);
      for (int32_t i = 0; i < kFrames; ++i) {
        if (!std::isfinite(left[i]) || !std::isfinite(right[i])) std::abort();
      }
    }
  }
  if (plug.core().lostBlocks() != 0) std::abort();
}

}  // namespace tarnwick::fuzz
