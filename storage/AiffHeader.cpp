// AIFF and uncompressed AIFC header (integer and float types): walks the chunks for COMM and SSND
// in either order.
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
  SampleEncoding encoding = SampleEncoding::signed16be;
  int32_t bits = 0;
  double sampleRate = 0.0;
};

// How an AIFC compression type stores its samples: in the byte order of the type with the bits of
// the COMM chunk, or a type of fixed size (bits 0 = take them from COMM). The upper-case float types
// are the same formats under the names that libsndfile (and so many editors) write.
struct AifcType {
  uint32_t id;
  bool littleEndian;
  bool floating;
  int32_t bits;
};

constexpr AifcType kAifcTypes[] = {
    {fourcc("NONE"), false, false, 0},  {fourcc("twos"), false, false, 0},  {fourcc("sowt"), true, false, 0},
    {fourcc("in24"), false, false, 24}, {fourcc("in32"), false, false, 32}, {fourcc("fl32"), false, true, 32},
    {fourcc("fl64"), false, true, 64},  {fourcc("FL32"), false, true, 32},  {fourcc("FL64"), false, true, 64},
};

constexpr AifcType kPlainAiff = {fourcc("NONE"), false, false, 0};

// The encoding of integers or floats of the given bits in the given byte order, or false when there
// is none.
bool encodingFor(bool littleEndian, bool floating, int32_t bits, SampleEncoding& encoding) {
  if (floating) {
    if (bits != 32 && bits != 64) return false;
    encoding = bits == 32 ? SampleEncoding::float32be : SampleEncoding::float64be;
    return true;
  }
  switch (bits) {
    case 8: encoding = SampleEncoding::signed8; return true;
    case 16: encoding = littleEndian ? SampleEncoding::signed16le : SampleEncoding::signed16be; return true;
    case 24: encoding = littleEndian ? SampleEncoding::signed24le : SampleEncoding::signed24be; return true;
    case 32: encoding = littleEndian ? SampleEncoding::signed32le : SampleEncoding::signed32be; return true;
    default: return false;
  }
}

StorageResult parseComm(ByteSource& source, const ChunkHeader& chunk, bool aifc, AiffFormat& format) {
  uint8_t body[kAifcCommSize] = {};
  const size_t size = readChunkBody(source, chunk, body, sizeof body);
  ByteCursor cursor(body, size);
  int16_t channels = 0;
  int16_t bits = 0;
  uint8_t rate[10] = {};
  const bool complete =
      cursor.i16be(channels) && cursor.skip(4) && cursor.i16be(bits) && cursor.bytes(rate, sizeof rate);
  const AifcType* type = &kPlainAiff;
  if (aifc) {
    uint32_t compression = 0;
    if (!cursor.fourcc(compression)) return kStorageAifcCompressed;
    type = nullptr;
    for (const AifcType& known : kAifcTypes) {
      if (known.id == compression) type = &known;
    }
    if (!type) return kStorageAifcCompressed;
  }
  // The fixed-size types decide their sample size themselves, whatever COMM states.
  const int32_t sampleBits = type->bits != 0 ? type->bits : bits;
  SampleEncoding encoding = SampleEncoding::signed16be;
  if (!complete || !encodingFor(type->littleEndian, type->floating, sampleBits, encoding)) return kStorageBadBits;
  // An all-ones exponent is an infinity or NaN, not a rate.
  const bool infinite = ((rate[0] & 0x7F) == 0x7F) && rate[1] == 0xFF;
  const double sampleRate = extended80ToDouble(rate);
  if (infinite || !sampleRateAccepted(sampleRate)) return kStorageBadRate;
  if (channels < 1) return kStorageBadChannels;
  format.channels = channels;
  format.encoding = encoding;
  format.bits = sampleBits;
  format.sampleRate = sampleRate;
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

  const uint64_t frameBytes = uint64_t(format.channels) * uint64_t(bytesPerSample(format.encoding));
  const uint64_t frames = samples.size / frameBytes;
  if (frames == 0) return kStorageNoAudioData;
  layout.encoding = format.encoding;
  layout.channels = format.channels;
  layout.dataOffset = samples.bodyOffset;
  layout.frameCount = frames;
  layout.sampleRate = format.sampleRate;
  layout.bits = format.bits;
  return kStorageOk;
}

}  // namespace tarnwick
