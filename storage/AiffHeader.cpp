// AIFF and uncompressed AIFC header: walks the chunks for COMM and SSND in either order.
#include "storage/AudioHeader.h"
#include "storage/ByteCursor.h"
#include "storage/Extended80.h"

namespace tarnwick {

namespace {

// COMM: channels, frames, bits, 10-byte rate (18 bytes); AIFC adds the 4-byte compression type
// and its name, which is not read.
constexpr size_t kAifcCommSize = 22;

struct AiffFormat {
  int16_t channels = 0;
  int16_t bits = 0;
  bool littleEndian = false;
};

StorageResult parseComm(ByteSource& source, const ChunkHeader& chunk, bool aifc, AiffFormat& format) {
  uint8_t body[kAifcCommSize] = {};
  const size_t size = readChunkBody(source, chunk, body, sizeof body);
  ByteCursor cursor(body, size);
  int16_t channels = 0;
  int16_t bits = 0;
  uint8_t rate[10] = {};
  const bool complete =
      cursor.i16be(channels) && cursor.skip(4) && cursor.i16be(bits) && cursor.bytes(rate, sizeof rate);
  bool littleEndian = false;
  if (aifc) {
    uint32_t compression = 0;
    if (!cursor.fourcc(compression)) return kStorageAifcCompressed;
    if (compression == fourcc("sowt")) {
      littleEndian = true;
    } else if (compression != fourcc("NONE")) {
      return kStorageAifcCompressed;
    }
  }
  if (!complete || (bits != 8 && bits != 16 && bits != 24)) return kStorageBadBits;
  if (float(extended80ToDouble(rate)) != 44100.0f) return kStorageBadRate;
  if (channels != 1 && channels != 2) return kStorageBadChannels;
  format.channels = channels;
  format.bits = bits;
  format.littleEndian = littleEndian;
  return kStorageOk;
}

// SSND: offset and block size, then the samples from offset onwards.
StorageResult parseSsnd(ByteSource& source, const ChunkHeader& chunk, ChunkHeader& samples) {
  uint8_t body[8];
  uint32_t offset = 0;
  if (chunk.size <= sizeof body || readChunkBody(source, chunk, body, sizeof body) != sizeof body) {
    return kStorageFileError;
  }
  ByteCursor(body, sizeof body).u32be(offset);
  const uint32_t soundSize = chunk.size - uint32_t(sizeof body);
  if (offset > soundSize) return kStorageFileError;
  const uint64_t end = chunk.bodyOffset + chunk.size;
  if (end > source.size()) return kStorageFileError;  // truncated: fail before allocating
  samples.bodyOffset = chunk.bodyOffset + sizeof body + offset;
  samples.size = soundSize - offset;
  return kStorageOk;
}

SampleEncoding encodingFor(const AiffFormat& format) {
  if (format.bits == 8) return SampleEncoding::signed8;
  if (format.bits == 16) {
    return format.littleEndian ? SampleEncoding::signed16le : SampleEncoding::signed16be;
  }
  return format.littleEndian ? SampleEncoding::signed24le : SampleEncoding::signed24be;
}

}  // namespace

StorageResult parseAiffHeader(ByteSource& source, AudioLayout& layout) {
  uint8_t head[12];
  uint32_t formType = 0;
  if (source.readAt(0, head, sizeof head)) ByteCursor(head + 8, 4).fourcc(formType);
  const bool aifc = formType == fourcc("AIFC");
  if (!aifc && formType != fourcc("AIFF")) return kStorageNoAiffChunk;

  AiffFormat format;
  bool haveComm = false;
  ChunkHeader samples;
  bool haveSsnd = false;
  ChunkHeader chunk;
  for (uint64_t offset = sizeof head; !(haveComm && haveSsnd); offset = chunk.nextOffset()) {
    if (!readChunkHeader(source, offset, true, chunk)) return kStorageNoCommChunk;
    StorageResult result = kStorageOk;
    if (chunk.id == fourcc("COMM")) {
      result = parseComm(source, chunk, aifc, format);  // a later COMM replaces an earlier one
      haveComm = true;
    } else if (chunk.id == fourcc("SSND")) {
      result = parseSsnd(source, chunk, samples);
      haveSsnd = true;
    }
    if (result != kStorageOk) return result;
  }

  const SampleEncoding encoding = encodingFor(format);
  const uint64_t frameBytes = uint64_t(format.channels) * uint64_t(bytesPerSample(encoding));
  const uint64_t frames = samples.size / frameBytes;
  if (frames == 0) return kStorageNoAudioData;
  layout.encoding = encoding;
  layout.channels = format.channels;
  layout.dataOffset = samples.bodyOffset;
  layout.frameCount = frames;
  return kStorageOk;
}

}  // namespace tarnwick
