// Shared helpers for the plug-in tests: fixture recordings and an in-process host callback.
#pragma once

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "vst/VstInterface.h"

namespace tarnwick::test {

// Writes a 16-bit stereo PCM WAV (44.1 kHz unless rate says otherwise): a sine on the left, a different
// one on the right.
inline std::string writeTestWav(const std::string& name, int32_t frames, double freqL = 220.0, double freqR = 330.0,
                                uint32_t rate = 44100) {
  const std::string path = std::string(::testing::TempDir()) + name;
  std::vector<uint8_t> bytes;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(t[i]));
  };
  const uint32_t dataSize = static_cast<uint32_t>(frames) * 4;
  bytes.reserve(44 + dataSize);
  tag("RIFF");
  u32(36 + dataSize);
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(1);
  u16(2);
  u32(rate);
  u32(rate * 4);
  u16(4);
  u16(16);
  tag("data");
  u32(dataSize);
  for (int32_t i = 0; i < frames; ++i) {
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(16000.0 * std::sin(2 * M_PI * freqL * i / rate)))));
    u16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * freqR * i / rate)))));
  }
  // Tests of several processes write the same fixture at once: each writes a file of its own and renames it
  // into place, so no reader ever meets a half-written file.
  const std::string own =
      path + "." +
      std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id()) ^
                     static_cast<size_t>(std::chrono::steady_clock::now().time_since_epoch().count())) +
      ".part";
  FILE* f = std::fopen(own.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    std::error_code ec;
    std::filesystem::rename(own, path, ec);
    if (ec) std::filesystem::remove(own, ec);  // a platform that keeps the file in place: it is whole already
  }
  return path;
}

// A minimal host for instances built in-process: answers the version and the time requests.
struct InProcessHost {
  static inline std::atomic<bool> timeAvailable{true};
  static inline std::atomic<double> tempo{120.0};

  static intptr_t VSTCALLBACK callback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float) {
    switch (opcode) {
      case audioMasterVersion: return kVstVersion;
      case audioMasterGetTime: {
        thread_local VstTimeInfo timeInfo{};
        if (!timeAvailable) return 0;
        timeInfo.sampleRate = 44100.0;
        timeInfo.tempo = tempo;
        timeInfo.flags = kVstTempoValid | kVstPpqPosValid;
        return reinterpret_cast<intptr_t>(&timeInfo);
      }
      case audioMasterWantMidi: return 1;
      default: return 0;
    }
  }
};

}  // namespace tarnwick::test
