// Format dispatch and the chunk helpers shared by the WAV and AIFF header parsers.
#include "storage/AudioHeader.h"

#include <algorithm>

#include "storage/ByteCursor.h"

namespace tarnwick {

int bytesPerSample(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::unsigned8:
    case SampleEncoding::signed8: return 1;
    case SampleEncoding::signed16le:
    case SampleEncoding::signed16be: return 2;
    case SampleEncoding::signed24le:
    case SampleEncoding::signed24be: return 3;
    case SampleEncoding::signed32le:
    case SampleEncoding::signed32be:
    case SampleEncoding::float32le:
    case SampleEncoding::float32be: return 4;
    case SampleEncoding::float64le:
    case SampleEncoding::float64be: return 8;
  }
  return 1;
}

bool isFloatEncoding(SampleEncoding encoding) {
  switch (encoding) {
    case SampleEncoding::float32le:
    case SampleEncoding::float32be:
    case SampleEncoding::float64le:
    case SampleEncoding::float64be: return true;
    default: return false;
  }
}

StorageResult parseAudioHeader(ByteSource& source, AudioLayout& layout) {
  uint8_t magic[4];
  if (!source.readAt(0, magic, sizeof magic)) return kStorageUnknownFormat;
  uint32_t id = 0;
  ByteCursor(magic, sizeof magic).fourcc(id);
  if (id == fourcc("RIFF")) return parseWavHeader(source, layout);
  if (id == fourcc("FORM")) return parseAiffHeader(source, layout);
  return kStorageUnknownFormat;
}

bool readChunkHeader(ByteSource& source, uint64_t offset, bool bigEndian, ChunkHeader& header) {
  uint8_t raw[8];
  if (!source.readAt(offset, raw, sizeof raw)) return false;
  ByteCursor cursor(raw, sizeof raw);
  cursor.fourcc(header.id);
  if (bigEndian) {
    cursor.u32be(header.size);
  } else {
    cursor.u32le(header.size);
  }
  header.bodyOffset = offset + sizeof raw;
  return true;
}

size_t readChunkBody(ByteSource& source, const ChunkHeader& header, uint8_t* destination, size_t capacity) {
  const uint64_t fileSize = source.size();
  if (header.bodyOffset >= fileSize) return 0;
  const uint64_t available = std::min<uint64_t>(header.size, fileSize - header.bodyOffset);
  const size_t count = size_t(std::min<uint64_t>(available, capacity));
  return source.readAt(header.bodyOffset, destination, count) ? count : 0;
}

}  // namespace tarnwick
