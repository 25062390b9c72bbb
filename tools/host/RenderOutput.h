// What the renderer reports and writes: levels of the result, the WAV file, the terminal progress bar.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/host/RenderOptions.h"

namespace tarnwick::host {

struct LevelStats {
  double peak = 0.0;      // largest magnitude of both channels, linear
  double peakDb = -1e9;   // dBFS, very negative for silence
  double rmsDb = -1e9;    // dBFS over both channels
  int64_t nonFinite = 0;  // NaN or infinite samples (left out of peak and RMS)
  int64_t clipped = 0;    // finite samples beyond full scale (an integer format clips them)
};

LevelStats measureLevels(const std::vector<float>& left, const std::vector<float>& right);

// Writes a stereo WAV file of our own making; integer formats are clipped at full scale, float is written as is
// with the extensible format header (format tag 0xFFFE, IEEE float sub-format) that other tools expect.
bool writeStereoWav(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                    int sampleRate, WavSampleFormat format, std::string* error);

bool stderrIsTerminal();

// A one-line bar on stderr, redrawn at most every 100 ms; inactive when disabled.
class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  void update(int64_t framesDone, int64_t songFrames, double sampleRate);
  void finish();

 private:
  bool enabled_;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace tarnwick::host
