// Reads uncompressed WAV and AIFF files (8 to 384 kHz, 8/16/24/32-bit integers or 32/64-bit floats,
// the first two channels) into float arrays, and tells the file's rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/AudioBuffer.h"
#include "engine/WorkProgress.h"
#include "storage/StorageResult.h"

namespace tarnwick {

// Decoded audio arrives as a ChannelPair built to the side (frameCount + 1 samples per channel, the
// guard sample 0.0; a mono file fills both channels alike); the caller converts it to its working
// rate when the file's rate differs, and hands it to the engine.

// What the file holds besides its samples.
struct AudioFileInfo {
  double sampleRate = 0.0;  // frames per second as the file states it, 8000 .. 384000
  int32_t channels = 0;     // in the file; only the first two are loaded
  int32_t bits = 0;         // per stored sample
  bool floatingPoint = false;
};

// [any-thread] Decodes a whole file image held in memory. On success out holds the new arrays and
// info (when given) describes the file; on any failure out and info are left as they were.
StorageResult decodeAudioFile(const uint8_t* data, size_t size, ChannelPair& out,
                              AudioFileInfo* info = nullptr) noexcept;

// [ui-thread] Reads the file at path: the headers with small reads, then the sample data in blocks
// that are converted as they arrive. Sample data that the file does not hold fails with 26 before
// anything large is allocated. On success out holds the new arrays and info (when given) describes
// the file; on any failure out and info are left as they were. progress, when given, hears the frames
// read after each block but the last and may stop the read there (kStorageCancelled).
StorageResult readAudioFile(const char* path, ChannelPair& out, AudioFileInfo* info = nullptr,
                            WorkProgress* progress = nullptr) noexcept;

// [any-thread] The headers alone: what a read of the file would find (the same checks, the same codes),
// without reading its samples. frames: whole frames of sample data.
StorageResult probeAudioFile(const char* path, AudioFileInfo& info, uint64_t& frames) noexcept;

// Read block size (rounded down to whole frames): small enough to stay in the cache between the
// read and the conversion, so the load needs no scratch area the size of the data.
inline constexpr size_t kAudioReadBlockBytes = 256 * 1024;

// [ui-thread] readAudioFile with another block size; SIZE_MAX reads all sample data in one call.
// For tests and benchmarks.
StorageResult readAudioFileInBlocks(const char* path, ChannelPair& out, size_t blockBytes,
                                    AudioFileInfo* info = nullptr, WorkProgress* progress = nullptr) noexcept;

}  // namespace tarnwick
