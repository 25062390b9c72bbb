// RIFF/WAVE header: walks the chunk list for "fmt " and "data" and checks the sample format
// (integer PCM, IEEE float, or either inside WAVE_FORMAT_EXTENSIBLE).
#include <algorithm>
#include <iterator>

#include "storage/AudioHeader.h"
#include "storage/ByteCursor.h"

namespace tarnwick {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kFmtCapacity = 40;  // 16 common bytes, extension size, valid bits, mask, GUID
constexpr size_t kSubFormatOffset = 24;
// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE: a 32-bit format tag (1 PCM, 3 IEEE float) followed
// by these fixed twelve bytes.
constexpr uint8_t kSubFormatTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

enum class WavSamples : uint8_t { other, integer, floating };

// Unreadable fields keep values that fail their checks.
struct WavFormat {
  WavSamples samples = WavSamples::other;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bits = 0;
};

WavSamples samplesOfTag(uint32_t tag) {
  if (tag == kFormatPcm) return WavSamples::integer;
  if (tag == kFormatFloat) return WavSamples::floating;
  return WavSamples::other;
}

WavFormat parseFmt(const uint8_t* body, size_t size) {
  WavFormat format;
  ByteCursor cursor(body, size);
  uint16_t tag = 0;
  if (!cursor.u16le(tag)) return format;
  if (tag == kFormatExtensible) {
    uint32_t subTag = 0;
    ByteCursor guid(body + std::min(size, kSubFormatOffset), size - std::min(size, kSubFormatOffset));
    uint8_t tail[sizeof kSubFormatTail] = {};
    if (guid.u32le(subTag) && guid.bytes(tail, sizeof tail) &&
        std::equal(std::begin(kSubFormatTail), std::end(kSubFormatTail), tail)) {
      format.samples = samplesOfTag(subTag);
    }
  } else {
    format.samples = samplesOfTag(tag);
  }
  // Byte rate and block align are not used: the frame size follows from channels and bits. The
  // extensible format's valid-bits field is not needed either: its samples are left-justified in
  // containers of the stated bits, which the conversion scales as a whole.
  const bool complete =
      cursor.u16le(format.channels) && cursor.u32le(format.sampleRate) && cursor.skip(6) && cursor.u16le(format.bits);
  if (!complete) format.bits = 0;
  return format;
}

// The encoding of a format whose sample kind is known, or false when its bits do not fit it.
bool encodingOf(const WavFormat& format, SampleEncoding& encoding) {
  if (format.samples == WavSamples::floating) {
    if (format.bits != 32 && format.bits != 64) return false;
    encoding = format.bits == 32 ? SampleEncoding::float32le : SampleEncoding::float64le;
    return true;
  }
  switch (format.bits) {
    case 8: encoding = SampleEncoding::unsigned8; return true;
    case 16: encoding = SampleEncoding::signed16le; return true;
    case 24: encoding = SampleEncoding::signed24le; return true;
    case 32: encoding = SampleEncoding::signed32le; return true;
    default: return false;
  }
}

}  // namespace

StorageResult parseWavHeader(ByteSource& source, AudioLayout& layout) {
  uint8_t head[12];
  uint32_t formType = 0;
  if (!source.readAt(0, head, sizeof head)) return kStorageNoWaveChunk;
  ByteCursor(head + 8, 4).fourcc(formType);
  if (formType != fourcc("WAVE")) return kStorageNoWaveChunk;

  // Chunks may come in any order; everything but the first "fmt " and "data" is skipped.
  uint8_t fmtBody[kFmtCapacity] = {};
  size_t fmtSize = 0;
  bool haveFmt = false;
  ChunkHeader data;
  bool haveData = false;
  ChunkHeader chunk;
  for (uint64_t offset = sizeof head; !(haveFmt && haveData); offset = chunk.nextOffset()) {
    if (!readChunkHeader(source, offset, false, chunk)) break;
    if (chunk.id == fourcc("fmt ") && !haveFmt) {
      fmtSize = readChunkBody(source, chunk, fmtBody, sizeof fmtBody);
      haveFmt = true;
    } else if (chunk.id == fourcc("data") && !haveData) {
      data = chunk;
      haveData = true;
    }
  }
  if (!haveFmt) return kStorageNoFmtChunk;
  if (!haveData) return kStorageNoDataChunk;

  const WavFormat format = parseFmt(fmtBody, fmtSize);
  if (format.samples == WavSamples::other) return kStorageNotPcm;
  SampleEncoding encoding = SampleEncoding::signed16le;
  if (!encodingOf(format, encoding)) return kStorageBadBits;
  if (!sampleRateAccepted(format.sampleRate)) return kStorageBadRate;
  if (format.channels == 0) return kStorageBadChannels;

  const uint64_t frameBytes = uint64_t(format.channels) * uint64_t(bytesPerSample(encoding));
  const uint64_t frames = data.size / frameBytes;  // a partial last frame is dropped
  if (frames == 0) return kStorageNoAudioData;
  if (data.bodyOffset > source.size() || data.size > source.size() - data.bodyOffset) {
    return kStorageFileError;
  }
  layout.encoding = encoding;
  layout.channels = format.channels;
  layout.dataOffset = data.bodyOffset;
  layout.frameCount = frames;
  layout.sampleRate = format.sampleRate;
  layout.bits = format.bits;
  return kStorageOk;
}

}  // namespace tarnwick
