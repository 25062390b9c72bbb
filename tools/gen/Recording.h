// The project's own default recording: a deterministic synthesis with clearly different sections.
#pragma once

#include <cstdint>
#include <vector>

namespace tarnwick::gen {

inline constexpr int kRecordingSampleRate = 44100;

struct StereoBuffer {
  std::vector<float> left;
  std::vector<float> right;
  StereoBuffer() = default;
  explicit StereoBuffer(std::size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  std::size_t frames() const { return left.size(); }
};

struct RecordingSection {
  const char* name;
  double startSeconds;
  double endSeconds;
  bool noisy;  // broadband material rather than pitched partials
};

// The sections in playing order; they abut and cover the whole recording.
const std::vector<RecordingSection>& recordingSections();

// Renders the recording at kRecordingSampleRate; every sample lies within ±1.
StereoBuffer synthesizeRecording();

// The recording as a 16-bit stereo WAV image (identical bytes on every run).
std::vector<uint8_t> recordingWav();

}  // namespace tarnwick::gen
