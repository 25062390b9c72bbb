// The file browser's preview: a recording played from its start through the instrument's output, before
// it is loaded. A reader on a worker thread decodes the file, converts it to the working rate and feeds a
// single-producer single-consumer ring; the audio thread adds what is there and never waits for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "core/SpscRing.h"

namespace tarnwick {

class PreviewVoice {
 public:
  PreviewVoice() = default;
  ~PreviewVoice() { stop(); }
  PreviewVoice(const PreviewVoice&) = delete;
  PreviewVoice& operator=(const PreviewVoice&) = delete;

  // [ui-thread] Plays the recording at path from its start, as it sounds at workingRate; what played before
  // stops. A file the reader cannot decode plays nothing.
  void start(const std::string& path, float workingRate);
  // [ui-thread] Stops the preview (and its reader); nothing of it is heard after the next block begins.
  void stop();
  // [ui-thread] Whether a preview runs (started and not stopped).
  bool playing() const { return active_.load(std::memory_order_acquire); }
  // [any-thread] Frames the reader of the running preview has handed to the ring so far, and whether it
  // has read its whole file (or given up). For tests, which wait on them by count.
  uint64_t framesQueued() const { return queued_.load(std::memory_order_acquire); }
  bool readerDone() const { return readerDone_.load(std::memory_order_acquire); }

  // [audio-thread] Adds what the reader has ready to the outputs; where the ring runs dry the preview is
  // silent for the rest of the block. Never blocks, never allocates.
  void mix(float* left, float* right, int32_t frames) noexcept;

 private:
  struct Frame {
    float left = 0.0f, right = 0.0f;
  };
  static constexpr size_t kRingFrames = 16384;

  void read(std::string path, float workingRate, uint32_t flushTicket);

  SpscRing<Frame, kRingFrames> ring_;
  std::thread reader_;
  std::atomic<bool> stopReader_{false};
  std::atomic<bool> active_{false};
  // A stopped preview leaves frames in the ring: the audio thread empties it before a new reader fills it.
  std::atomic<uint32_t> flushAsked_{0};
  std::atomic<uint32_t> flushDone_{0};
  std::atomic<uint64_t> queued_{0};
  std::atomic<bool> readerDone_{false};
};

}  // namespace tarnwick
