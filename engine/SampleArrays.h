// The sample arrays of a recording, as ChannelPair owns them (new[]): large, written once from start to
// end right after they are allocated, then read for as long as the recording plays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tarnwick {

// [any-thread, not the audio thread] An uninitialised array of count floats, or null when memory is
// short. On Linux the whole 2 MiB stretches inside a large array are marked for large pages before
// anything touches them: a minute of stereo audio then takes a few dozen page faults instead of five
// thousand (most of a file load's time otherwise), and playback walks it with fewer TLB misses.
inline std::unique_ptr<float[]> newSampleArray(size_t count) noexcept {
  std::unique_ptr<float[]> array(new (std::nothrow) float[count]);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
  if (array && count > 2 * kLargePage / sizeof(float)) {
    const auto begin = reinterpret_cast<uintptr_t>(array.get());
    const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = (begin + count * sizeof(float)) & ~(kLargePage - 1);
    // Only advice: where the system has no large pages to give, the array is used as it is.
    if (last > first) static_cast<void>(::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
  }
#endif
  return array;
}

}  // namespace tarnwick
