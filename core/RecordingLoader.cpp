#include "core/RecordingLoader.h"

#include <algorithm>
#include <utility>

#include "editor/EditorModel.h"
#include "engine/Engine.h"
#include "engine/Resampler.h"
#include "storage/AudioFileReader.h"

namespace tarnwick {

namespace {

// Thousandths of a load that converts which its read takes: the conversion does most of the work.
constexpr uint64_t kReadShare = 150;
constexpr uint64_t kWhole = 1000;

// One step of a load (the read, the conversion) as a part of the whole: base .. base + span thousandths.
class ProgressPart final : public WorkProgress {
 public:
  // whole may be null when the part is never asked to advance.
  ProgressPart(WorkProgress* whole, uint64_t base, uint64_t span) : whole_(whole), base_(base), span_(span) {}
  bool advance(uint64_t done, uint64_t total) override {
    const uint64_t part = total > 0 ? span_ * done / total : 0;
    stopped_ = !whole_->advance(base_ + part, kWhole);
    return !stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  WorkProgress* whole_;
  uint64_t base_;
  uint64_t span_;
  bool stopped_ = false;
};

}  // namespace

StorageResult readRecordingAt(const char* path, uint32_t workingRate, ChannelPair& out, WorkProgress* progress) {
  if (!path) return kStorageCannotOpen;
  // The read's share of the whole: the headers tell whether a conversion follows.
  uint64_t readShare = kWhole;
  if (progress) {
    AudioFileInfo header;
    uint64_t frames = 0;
    if (probeAudioFile(path, header, frames) == kStorageOk && conversionRate(header.sampleRate) != workingRate)
      readShare = kReadShare;
  }
  // Read and convert to the side: a refused file changes nothing, and the audio thread receives the
  // recording only once it is complete at the working rate.
  ChannelPair audio;
  AudioFileInfo info;
  ProgressPart reading(progress, 0, readShare);
  const StorageResult result = readAudioFile(path, audio, &info, progress ? &reading : nullptr);
  if (result != kStorageOk) return result;
  // Converted between rates of the conversion band: an absurd host rate (1 Hz, 997 Hz) counts as the
  // nearest rate of the band, which keeps the filter small and the conversion short.
  const uint32_t fileRate = conversionRate(info.sampleRate);
  if (fileRate != workingRate) {
    if (progress && !progress->advance(readShare, kWhole)) return kStorageCancelled;
    ChannelPair converted;
    const Resampler resampler(fileRate, workingRate);
    ProgressPart converting(progress, readShare, kWhole - readShare);
    if (!resampler.convert(audio, converted, progress ? &converting : nullptr))
      return converting.stopped() ? kStorageCancelled : kStorageOutOfMemory;
    audio = std::move(converted);
  }
  out = std::move(audio);
  return kStorageOk;
}

// Tells the loader how far the load with its ticket has come; stops it once another load counts.
class RecordingLoader::Progress final : public WorkProgress {
 public:
  Progress(RecordingLoader& loader, uint32_t ticket) : loader_(loader), ticket_(ticket) {}
  bool advance(uint64_t done, uint64_t total) override {
    if (loader_.ticket_.load(std::memory_order_acquire) != ticket_) return false;
    const uint64_t permille = total > 0 ? std::min<uint64_t>(kWhole * done / total, kWhole) : 0;
    // Only over this load's own report: a newer load's reports stand.
    uint64_t seen = loader_.progress_.load(std::memory_order_relaxed);
    const uint64_t mine = uint64_t(ticket_) << 32;
    while ((seen >> 32) == ticket_ &&
           !loader_.progress_.compare_exchange_weak(seen, mine | permille, std::memory_order_relaxed)) {
    }
    return true;
  }

 private:
  RecordingLoader& loader_;
  uint32_t ticket_;
};

void RecordingLoader::start(const std::string& path, uint32_t workingRate) {
  Result dropped;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint32_t ticket = ticket_.load(std::memory_order_relaxed) + 1;
    progress_.store(uint64_t(ticket) << 32, std::memory_order_relaxed);
    ticket_.store(ticket, std::memory_order_release);
    path_ = path;
    workingRate_ = workingRate;
    if (hasFinished_) dropped = std::move(finished_);
    hasFinished_ = false;
    busy_.store(true, std::memory_order_release);
    if (!thread_.joinable()) thread_ = std::thread(&RecordingLoader::run, this);
  }
  wake_.notify_all();
}

void RecordingLoader::cancel() {
  Result dropped;
  std::lock_guard<std::mutex> lock(mutex_);
  // The thread, if it runs a load, stops at its next check and takes up nothing new.
  const uint32_t ticket = ticket_.load(std::memory_order_relaxed) + 1;
  ticket_.store(ticket, std::memory_order_release);
  started_ = ticket;
  if (hasFinished_) dropped = std::move(finished_);
  hasFinished_ = false;
  busy_.store(false, std::memory_order_release);
}

void RecordingLoader::stop() {
  cancel();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = false;
}

int32_t RecordingLoader::permille() const {
  const uint64_t progress = progress_.load(std::memory_order_relaxed);
  return (progress >> 32) == ticket_.load(std::memory_order_acquire) ? int32_t(progress & 0xFFFFFFFFu) : 0;
}

bool RecordingLoader::take(Result& out) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!hasFinished_) return false;
  out = std::move(finished_);
  hasFinished_ = false;
  busy_.store(false, std::memory_order_release);
  return true;
}

void RecordingLoader::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || started_ != ticket_.load(std::memory_order_relaxed); });
    if (stopping_) return;
    const uint32_t ticket = ticket_.load(std::memory_order_relaxed);
    started_ = ticket;
    Result result;
    result.path = path_;
    result.workingRate = workingRate_;
    lock.unlock();
    Progress progress(*this, ticket);
    result.result = readRecordingAt(result.path.c_str(), result.workingRate, result.audio, &progress);
    if (result.result == kStorageOk && ticket_.load(std::memory_order_relaxed) == ticket) {
      keepRecordingPlayable(result.audio);
      result.playable = true;
      auto wave = std::make_shared<WaveSummary>();
      const ChannelPair& a = result.audio;
      summariseWave(a.left.get(), a.right.get(), a.frameCount, float(a.frameCount), *wave);
      result.wave = std::move(wave);
    }
    lock.lock();
    if (ticket_.load(std::memory_order_relaxed) == ticket && !stopping_) {
      finished_ = std::move(result);
      hasFinished_ = true;
      continue;
    }
    // Dropped: its arrays are freed here, with no lock held.
    lock.unlock();
    result = Result();
    lock.lock();
  }
}

}  // namespace tarnwick
