// Header parsing of WAV and AIFF files: finds the sample data and how it is encoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "storage/StorageResult.h"

namespace tarnwick {

enum class SampleEncoding : uint8_t {
  unsigned8,   // WAV 8 bit: u / 128 - 1
  signed8,     // AIFF 8 bit: s / 128
  signed16le,  // WAV and AIFC "sowt"
  signed16be,  // AIFF and AIFC "NONE" / "twos"
  signed24le,
  signed24be,
  signed32le,  // s / 2^31
  signed32be,
  float32le,  // IEEE floats as they are
  float32be,
  float64le,
  float64be,
};

int bytesPerSample(SampleEncoding encoding);

// Where the samples lie: the reader converts frameCount whole frames starting at dataOffset. Of
// more than two channels only the first two are converted.
struct AudioLayout {
  SampleEncoding encoding = SampleEncoding::signed16le;
  int32_t channels = 0;
  uint64_t dataOffset = 0;
  uint64_t frameCount = 0;
  double sampleRate = 0.0;
  int32_t bits = 0;  // per stored sample
};

// Sample rates the readers accept (frames per second); outside this range code 10.
inline constexpr double kMinSampleRate = 8000.0;
inline constexpr double kMaxSampleRate = 384000.0;

inline bool sampleRateAccepted(double rate) { return rate >= kMinSampleRate && rate <= kMaxSampleRate; }

bool isFloatEncoding(SampleEncoding encoding);

// Random-access view of a file image; the parsers never read outside size().
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // True only when all count bytes at offset were copied to destination.
  virtual bool readAt(uint64_t offset, uint8_t* destination, size_t count) = 0;
  // Direct access to bytes already in memory, or null when they must be read.
  virtual const uint8_t* view(uint64_t /*offset*/, size_t /*count*/) const { return nullptr; }
};

class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, uint8_t* destination, size_t count) override {
    if (offset > size_ || count > size_ - offset) return false;
    if (count > 0) std::memcpy(destination, data_ + offset, count);
    return true;
  }
  const uint8_t* view(uint64_t offset, size_t count) const override {
    if (offset > size_ || count > size_ - offset) return nullptr;
    return data_ + offset;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Every check that can fail before sample data is read: format, chunk structure, sample format,
// at least one whole frame, and sample data that the file really holds (else 26).
StorageResult parseAudioHeader(ByteSource& source, AudioLayout& layout);
StorageResult parseWavHeader(ByteSource& source, AudioLayout& layout);
StorageResult parseAiffHeader(ByteSource& source, AudioLayout& layout);

// A chunk's id and stated size; the next chunk starts after the body and a pad byte if odd.
struct ChunkHeader {
  uint32_t id = 0;
  uint32_t size = 0;
  uint64_t bodyOffset = 0;

  uint64_t nextOffset() const { return bodyOffset + size + (size & 1u); }
};

bool readChunkHeader(ByteSource& source, uint64_t offset, bool bigEndian, ChunkHeader& header);

// Reads up to capacity bytes of a chunk's body, cut at the chunk's end and the file's end.
size_t readChunkBody(ByteSource& source, const ChunkHeader& header, uint8_t* destination, size_t capacity);

}  // namespace tarnwick
