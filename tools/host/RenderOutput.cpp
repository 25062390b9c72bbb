// Levels of the rendered audio, the WAV file and the terminal progress bar.
#include "tools/host/RenderOutput.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Terminal.h"

namespace tarnwick::host {

LevelStats measureLevels(const std::vector<float>& left, const std::vector<float>& right) {
  LevelStats stats;
  double sumSquares = 0.0;
  int64_t counted = 0;
  for (const std::vector<float>* channel : {&left, &right}) {
    for (float x : *channel) {
      if (!std::isfinite(x)) {
        ++stats.nonFinite;
        continue;
      }
      stats.peak = std::max(stats.peak, static_cast<double>(std::fabs(x)));
      stats.clipped += std::fabs(x) > 1.0f;
      sumSquares += static_cast<double>(x) * x;
      ++counted;
    }
  }
  if (stats.peak > 0.0) stats.peakDb = 20.0 * std::log10(stats.peak);
  if (sumSquares > 0.0 && counted > 0) stats.rmsDb = 10.0 * std::log10(sumSquares / counted);
  return stats;
}

bool writeStereoWav(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                    int sampleRate, WavSampleFormat format, std::string* error) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = format == WavSampleFormat::pcm24   ? SF_FORMAT_WAV | SF_FORMAT_PCM_24
                : format == WavSampleFormat::pcm16 ? SF_FORMAT_WAV | SF_FORMAT_PCM_16
                                                   : SF_FORMAT_WAVEX | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    if (error) *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (format != WavSampleFormat::float32) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  const std::size_t frames = std::min(left.size(), right.size());
  std::vector<float> interleaved(2 * std::min<std::size_t>(frames, 65536));
  bool ok = true;
  for (std::size_t done = 0; done < frames && ok;) {
    const std::size_t n = std::min<std::size_t>(frames - done, 65536);
    for (std::size_t i = 0; i < n; ++i) {
      interleaved[2 * i] = left[done + i];
      interleaved[2 * i + 1] = right[done + i];
    }
    ok = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(n)) == static_cast<sf_count_t>(n);
    done += n;
  }
  if (!ok && error) *error = "cannot write " + path + ": " + sf_strerror(file);
  if (sf_close(file) != 0 && ok) {
    ok = false;
    if (error) *error = "cannot finish " + path;
  }
  return ok;
}

bool stderrIsTerminal() { return platform::stderrIsTerminal(); }

void ProgressBar::update(int64_t framesDone, int64_t songFrames, double sampleRate) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  drawn_ = true;
  constexpr int kWidth = 40;
  const double seconds = framesDone / sampleRate;
  if (framesDone <= songFrames && songFrames > 0) {
    const double fraction = static_cast<double>(framesDone) / songFrames;
    const int filled = static_cast<int>(fraction * kWidth);
    std::fprintf(stderr, "\r[%-*s] %3d%% %7.1f s ", kWidth, std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 static_cast<int>(fraction * 100.0), seconds);
  } else {
    std::fprintf(stderr, "\r[%s] tail %7.1f s ", std::string(kWidth, '#').c_str(), seconds);
  }
  std::fflush(stderr);
}

void ProgressBar::finish() {
  if (!enabled_ || !drawn_) return;
  std::fprintf(stderr, "\r%*s\r", 64, "");
  std::fflush(stderr);
}

}  // namespace tarnwick::host
