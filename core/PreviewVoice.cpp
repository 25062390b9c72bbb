// The preview's reader thread and its mix into the instrument's output.
#include "core/PreviewVoice.h"

#include <chrono>
#include <memory>
#include <utility>

#include "engine/AudioBuffer.h"
#include "engine/Resampler.h"
#include "storage/AudioFileReader.h"

namespace tarnwick {

namespace {

constexpr auto kReaderPause = std::chrono::milliseconds(2);  // while the ring is full or not yet emptied

}  // namespace

void PreviewVoice::start(const std::string& path, float workingRate) {
  stop();
  stopReader_.store(false, std::memory_order_seq_cst);
  queued_.store(0, std::memory_order_release);
  readerDone_.store(false, std::memory_order_release);
  // Ordered after the flush request of stop(): a block that sees the preview active also sees the request.
  active_.store(true, std::memory_order_seq_cst);
  reader_ = std::thread(&PreviewVoice::read, this, path, workingRate, flushAsked_.load(std::memory_order_seq_cst));
}

void PreviewVoice::stop() {
  active_.store(false, std::memory_order_seq_cst);
  stopReader_.store(true, std::memory_order_seq_cst);
  if (!reader_.joinable()) return;  // nothing was put in the ring since the last stop
  reader_.join();
  flushAsked_.fetch_add(1, std::memory_order_seq_cst);
}

// [worker] Decodes, converts and feeds the ring; ends early when asked to stop.
void PreviewVoice::read(std::string path, float workingRate, uint32_t flushTicket) {
  struct Done {
    std::atomic<bool>& flag;
    ~Done() { flag.store(true, std::memory_order_release); }
  } done{readerDone_};
  ChannelPair decoded;
  AudioFileInfo info;
  if (readAudioFile(path.c_str(), decoded, &info) != kStorageOk || decoded.frameCount <= 0) return;
  ChannelPair converted;
  const uint32_t from = conversionRate(info.sampleRate), to = conversionRate(workingRate);
  if (from != to) {
    const Resampler resampler(from, to);
    if (!resampler.valid() || !resampler.convert(decoded, converted)) return;
  } else {
    converted = std::move(decoded);
  }
  // The ring may still hold the frames of the preview before: the audio thread empties it first.
  while (flushDone_.load(std::memory_order_acquire) != flushTicket) {
    if (stopReader_.load(std::memory_order_acquire)) return;
    std::this_thread::sleep_for(kReaderPause);
  }
  const float* left = converted.left.get();
  const float* right = converted.right.get();
  for (int64_t n = 0; n < converted.frameCount;) {
    if (stopReader_.load(std::memory_order_acquire)) return;
    if (!ring_.push(Frame{left[n], right[n]})) {
      std::this_thread::sleep_for(kReaderPause);
      continue;
    }
    ++n;
    queued_.store(static_cast<uint64_t>(n), std::memory_order_release);
  }
}

void PreviewVoice::mix(float* left, float* right, int32_t frames) noexcept {
  // The flag first: when it tells of a new preview, the flush request made before it is seen too.
  const bool active = active_.load(std::memory_order_seq_cst);
  const uint32_t asked = flushAsked_.load(std::memory_order_seq_cst);
  if (flushDone_.load(std::memory_order_relaxed) != asked) {
    Frame stale;
    for (size_t n = 0; n < kRingFrames && ring_.pop(stale); ++n) {
    }
    flushDone_.store(asked, std::memory_order_release);
  }
  if (!active) return;
  Frame f;
  for (int32_t n = 0; n < frames && ring_.pop(f); ++n) {
    left[n] += f.left;
    right[n] += f.right;
  }
}

}  // namespace tarnwick
