// Reading a recording and converting it to the working rate, with no lock held: at once for the
// loads that must be complete when they return (sessions, banks, the host's loads), or on a thread
// of the loader's own for the editor's, so that the user-interface thread keeps running while a long
// file loads. Knows nothing of the instrument: the caller installs the result under its own lock.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/AudioBuffer.h"
#include "engine/WorkProgress.h"
#include "storage/StorageResult.h"

namespace tarnwick {

struct WaveSummary;

// [any-thread] The recording at path, read and converted to workingRate (a rate of the conversion band)
// into out, which changes only on success. progress, when given, hears the work done in thousandths
// and may stop it (kStorageCancelled).
StorageResult readRecordingAt(const char* path, uint32_t workingRate, ChannelPair& out, WorkProgress* progress);

// One load at a time on the loader's thread: a new load (or cancel) drops the one before, whose result
// is never handed out, whenever its thread finishes it.
class RecordingLoader {
 public:
  // A finished load.
  struct Result {
    StorageResult result = kStorageOk;
    ChannelPair audio;
    std::string path;
    uint32_t workingRate = 0;
    // On success, made on the loader's thread too, so that the thread that installs the recording does
    // not read all of it: the samples brought into playable range, and the wave display's peaks.
    bool playable = false;
    std::shared_ptr<const WaveSummary> wave;
  };

  RecordingLoader() = default;
  ~RecordingLoader() { stop(); }
  RecordingLoader(const RecordingLoader&) = delete;
  RecordingLoader& operator=(const RecordingLoader&) = delete;

  // [main-thread] Starts loading path at workingRate; the load before is dropped. The thread is made on
  // the first load after construction or stop.
  void start(const std::string& path, uint32_t workingRate);
  // [any-thread] Drops the load that runs or waits to be taken; returns at once.
  void cancel();
  // [main-thread] Drops the load and ends the thread (it checks between chunks of a few milliseconds).
  void stop();
  // [any-thread] Whether a load was started and is neither taken nor dropped yet, and how far it has
  // come (0..1000).
  bool busy() const { return busy_.load(std::memory_order_acquire); }
  int32_t permille() const;
  // [main-thread] The finished load, once; false while it runs or when none is there.
  bool take(Result& out);

 private:
  class Progress;
  void run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::thread thread_;
  bool stopping_ = false;            // mutex_
  std::string path_;                 // mutex_: the load asked for
  uint32_t workingRate_ = 0;         // mutex_
  uint32_t started_ = 0;             // mutex_: the ticket of the load the thread last took up
  Result finished_;                  // mutex_: the result of load ticket_ once it is done
  bool hasFinished_ = false;         // mutex_
  std::atomic<uint32_t> ticket_{0};  // the load that counts; a load whose ticket is older is dropped
  std::atomic<bool> busy_{false};
  std::atomic<uint64_t> progress_{0};  // the ticket of the load in the high half, its thousandths in the low
};

}  // namespace tarnwick
