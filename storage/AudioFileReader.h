// Reads uncompressed WAV and AIFF files (44.1 kHz, 8/16/24 bit, mono or stereo) into float arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/AudioBuffer.h"
#include "storage/StorageResult.h"

namespace tarnwick {

// Decoded audio arrives as a ChannelPair built to the side (frameCount + 1 samples per channel, the
// guard sample 0.0; a mono file fills both channels alike); the caller hands it to the engine.

// [any-thread] Decodes a whole file image held in memory. On success out holds the new arrays;
// on any failure out is left as it was.
StorageResult decodeAudioFile(const uint8_t* data, size_t size, ChannelPair& out) noexcept;

// [ui-thread] Reads the file at path: the headers with small reads, then the sample data in blocks
// that are converted as they arrive. Sample data that the file does not hold fails with 26 before
// anything large is allocated. On success out holds the new arrays; on any failure out is left
// as it was.
StorageResult readAudioFile(const char* path, ChannelPair& out) noexcept;

// Read block size (rounded down to whole frames): small enough to stay in the cache between the
// read and the conversion, so the load needs no scratch area the size of the data.
inline constexpr size_t kAudioReadBlockBytes = 256 * 1024;

// [ui-thread] readAudioFile with another block size; SIZE_MAX reads all sample data in one call.
// For tests and benchmarks.
StorageResult readAudioFileInBlocks(const char* path, ChannelPair& out, size_t blockBytes) noexcept;

}  // namespace tarnwick
