// Whether an audio-side call is inside the playing engine, told without locks: an epoch that every
// such call makes odd on entry and even on exit. The user-interface side uses it to know when arrays
// it shipped away can no longer be read, and to catch a host that calls the audio side from two
// threads at once.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarnwick {

class AudioPresence {
 public:
  // [audio-thread] False when another audio-side call is inside; the caller then leaves the engine alone.
  bool enter() {
    if (inside_.exchange(true, std::memory_order_acquire)) return false;
    // Read-modify-writes of the epoch are totally ordered: an entry after a user-interface mark reads
    // from it and so sees everything shipped before the mark.
    epoch_.fetch_add(1, std::memory_order_acq_rel);
    return true;
  }
  // [audio-thread]
  void leave() {
    epoch_.fetch_add(1, std::memory_order_acq_rel);
    inside_.store(false, std::memory_order_release);
  }

  // [ui-thread] Taken after shipping: the audio side's epoch at that moment (a read-modify-write, so
  // that it takes its place in the epoch's order).
  uint64_t mark() { return epoch_.fetch_add(0, std::memory_order_acq_rel); }
  // [ui-thread] True once no audio-side call that began before the mark can still be inside: it was
  // outside then (a call that enters later first takes what was shipped), or it has left since.
  bool passed(uint64_t mark) const { return (mark & 1u) == 0 || epoch_.load(std::memory_order_acquire) != mark; }

 private:
  std::atomic<bool> inside_{false};
  std::atomic<uint64_t> epoch_{0};
};

}  // namespace tarnwick
