// Reads uncompressed WAV and AIFF files (44.1 kHz, 8/16/24 bit, mono or stereo) into float arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "storage/StorageResult.h"

namespace tarnwick {

// Freshly decoded audio, built to the side; the caller swaps the arrays into the audio buffer.
struct DecodedAudio {
  int32_t frameCount = 0;
  // frameCount + 1 entries each; the last is the guard sample 0.0. Mono fills both alike.
  std::unique_ptr<float[]> left;
  std::unique_ptr<float[]> right;
};

// [any-thread] Decodes a whole file image held in memory. On success out holds the new arrays;
// on any failure out is left as it was.
StorageResult decodeAudioFile(const uint8_t* data, size_t size, DecodedAudio& out) noexcept;

// [ui-thread] Reads the file at path: the headers with small reads, then the sample data in blocks
// that are converted as they arrive. Sample data that the file does not hold fails with 26 before
// anything large is allocated. On success out holds the new arrays; on any failure out is left
// as it was.
StorageResult readAudioFile(const char* path, DecodedAudio& out) noexcept;

// Read block size (rounded down to whole frames): small enough to stay in the cache between the
// read and the conversion, so the load needs no scratch area the size of the data.
inline constexpr size_t kAudioReadBlockBytes = 256 * 1024;

// [ui-thread] readAudioFile with another block size; SIZE_MAX reads all sample data in one call.
// For tests and benchmarks.
StorageResult readAudioFileInBlocks(const char* path, DecodedAudio& out, size_t blockBytes) noexcept;

}  // namespace tarnwick
