// RIFF/WAVE header: walks the chunk list for "fmt " and "data" and checks the sample format.
#include <algorithm>
#include <iterator>

#include "storage/AudioHeader.h"
#include "storage/ByteCursor.h"

namespace tarnwick {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
constexpr size_t kFmtCapacity = 40;  // 16 common bytes, extension size, valid bits, mask, GUID
constexpr size_t kSubFormatOffset = 24;
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Unreadable fields keep values that fail their checks.
struct WavFormat {
  bool pcm = false;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bits = 0;
};

WavFormat parseFmt(const uint8_t* body, size_t size) {
  WavFormat format;
  ByteCursor cursor(body, size);
  uint16_t tag = 0;
  if (!cursor.u16le(tag)) return format;
  if (tag == kFormatPcm) {
    format.pcm = true;
  } else if (tag == kFormatExtensible && size >= kSubFormatOffset + sizeof kPcmSubFormat) {
    format.pcm = std::equal(std::begin(kPcmSubFormat), std::end(kPcmSubFormat), body + kSubFormatOffset);
  }
  // Byte rate and block align are not used: the frame size follows from channels and bits.
  const bool complete =
      cursor.u16le(format.channels) && cursor.u32le(format.sampleRate) && cursor.skip(6) && cursor.u16le(format.bits);
  if (!complete) format.bits = 0;
  return format;
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
  if (!format.pcm) return kStorageNotPcm;
  if (format.bits != 8 && format.bits != 16 && format.bits != 24) return kStorageBadBits;
  if (format.sampleRate != 44100) return kStorageBadRate;
  if (format.channels != 1 && format.channels != 2) return kStorageBadChannels;

  const SampleEncoding encoding = format.bits == 8    ? SampleEncoding::unsigned8
                                  : format.bits == 16 ? SampleEncoding::signed16le
                                                      : SampleEncoding::signed24le;
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
  return kStorageOk;
}

}  // namespace tarnwick
