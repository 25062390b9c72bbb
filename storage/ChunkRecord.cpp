// Chunk record layout: little-endian fields at fixed offsets, written and read field by field.
#include "storage/ChunkRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Engine.h"
#include "storage/LittleEndian.h"

namespace tarnwick {

namespace {

constexpr size_t kOffOptions = 2056;
constexpr size_t kOffReserved = 2096;
constexpr size_t kOffDelays = 2176;
constexpr size_t kOffCopyBuffer = 35200;
constexpr size_t kOffUnitDura = 36480;
constexpr size_t kOffRelease = 36996;
constexpr size_t kOffEnvelope = 37512;
constexpr size_t kOffEditMode = 38028;
constexpr size_t kOffCopyStates = 38072;
constexpr size_t kOffPasteStates = 38112;
constexpr size_t kOffEditRow = 38152;
constexpr size_t kOffPlayRow = 38156;
constexpr size_t kOffLastKey = 38160;
constexpr size_t kOffFloodWork = 38164;

using le::getI32;
using le::putF32;
using le::putI32;

// A stored NaN or infinity reads as 0.0.
float getF32(const uint8_t* p) {
  const float v = le::getF32(p);
  return std::isfinite(v) ? v : 0.0f;
}

// The scalar tail from offset 38032 on, in stored order.
struct ScalarField {
  size_t offset;
  float ChunkImage::*field;
};
constexpr ScalarField kScalars[] = {
    {38032, &ChunkImage::mainLevl},       {38036, &ChunkImage::bufstart},      {38040, &ChunkImage::morph},
    {38044, &ChunkImage::trigmode},       {38048, &ChunkImage::move},          {38052, &ChunkImage::loadAudioButton},
    {38056, &ChunkImage::reservedScalar}, {38060, &ChunkImage::bankMenuValue}, {38064, &ChunkImage::saveBankButton},
    {38068, &ChunkImage::flood},
};

}  // namespace

void writeChunkRecord(const EngineState& s, uint8_t* out) {
  std::memset(out, 0, kChunkSize);
  const size_t pathLength = strnlen(s.program.audioFileName, kPathCapacity - 1);
  std::memcpy(out, s.program.audioFileName, pathLength);
  putI32(out + kChunkVersionOffset, kChunkVersion);
  putI32(out + kChunkRevisionOffset, kChunkRevision);
  for (int i = 0; i < kOptionCount; ++i) putF32(out + kOffOptions + 4 * i, s.options[i]);
  for (int i = 0; i < 20; ++i) putF32(out + kOffReserved + 4 * i, 0.0f);
  for (int r = 0; r < kRowCount; ++r) {
    const KeyRow& row = s.rows[r];
    for (int d = 0; d < kGrainCount; ++d) putF32(out + kOffDelays + (32 * r + d) * 4, row.delayValue[d]);
    putF32(out + kOffUnitDura + 4 * r, row.unitDura);
    putF32(out + kOffRelease + 4 * r, row.release);
    putF32(out + kOffEnvelope + 4 * r, row.envelope);
  }
  for (int slot = 0; slot < kCopySlots; ++slot) {
    for (int d = 0; d < kGrainCount; ++d) putF32(out + kOffCopyBuffer + (32 * slot + d) * 4, s.copyBuffer[slot][d]);
    putF32(out + kOffCopyStates + 4 * slot, s.copyState[slot]);
    putF32(out + kOffPasteStates + 4 * slot, s.pasteState[slot]);
  }
  putF32(out + kOffEditMode, s.editMode);
  const float values[] = {s.mainLevl,        s.bufstart,       s.morph,         s.trigmode,       s.move,
                          s.loadAudioButton, s.reservedScalar, s.bankMenuValue, s.saveBankButton, s.flood};
  for (size_t i = 0; i < std::size(kScalars); ++i) putF32(out + kScalars[i].offset, values[i]);
  putI32(out + kOffEditRow, s.editRow);
  putI32(out + kOffPlayRow, s.playRow);
  putI32(out + kOffLastKey, s.lastSelectedKey);
  putI32(out + kOffFloodWork, s.floodSourceKey);
}

bool parseChunkRecord(const uint8_t* data, size_t size, ChunkImage& im) {
  if (!data || size != kChunkSize) return false;
  if (getI32(data + kChunkVersionOffset) != kChunkVersion || getI32(data + kChunkRevisionOffset) != kChunkRevision)
    return false;
  const size_t pathLength = strnlen(reinterpret_cast<const char*>(data), kChunkPathBytes);
  im.pathTooLong = pathLength >= static_cast<size_t>(kPathCapacity);  // includes "no terminator at all"
  std::memset(im.path, 0, sizeof im.path);
  if (!im.pathTooLong) std::memcpy(im.path, data, pathLength);
  for (int i = 0; i < kOptionCount; ++i) im.options[i] = getF32(data + kOffOptions + 4 * i);
  for (int r = 0; r < kRowCount; ++r) {
    for (int d = 0; d < kGrainCount; ++d) im.delayValues[r][d] = getF32(data + kOffDelays + (32 * r + d) * 4);
    im.unitDura[r] = getF32(data + kOffUnitDura + 4 * r);
    im.release[r] = getF32(data + kOffRelease + 4 * r);
    im.envelope[r] = getF32(data + kOffEnvelope + 4 * r);
  }
  for (int slot = 0; slot < kCopySlots; ++slot) {
    for (int d = 0; d < kGrainCount; ++d) im.copyBuffer[slot][d] = getF32(data + kOffCopyBuffer + (32 * slot + d) * 4);
    im.copyState[slot] = getF32(data + kOffCopyStates + 4 * slot);
    im.pasteState[slot] = getF32(data + kOffPasteStates + 4 * slot);
  }
  im.editMode = getF32(data + kOffEditMode);
  for (const ScalarField& f : kScalars) im.*(f.field) = getF32(data + f.offset);
  im.editRow = std::clamp(getI32(data + kOffEditRow), 0, kMasterRow);
  im.playRow = std::clamp(getI32(data + kOffPlayRow), 0, kMasterRow);
  im.lastSelectedKey = std::clamp(getI32(data + kOffLastKey), 0, kKeyCount - 1);
  return true;
}

void applyChunkFields(const ChunkImage& im, EngineState& s) {
  std::memcpy(s.options, im.options, sizeof s.options);
  for (int r = 0; r < kRowCount; ++r) {
    KeyRow& row = s.rows[r];
    std::memcpy(row.delayValue, im.delayValues[r], sizeof row.delayValue);
    row.unitDura = im.unitDura[r];
    row.release = im.release[r];
    row.envelope = im.envelope[r];
  }
  std::memcpy(s.copyBuffer, im.copyBuffer, sizeof s.copyBuffer);
  std::memcpy(s.copyState, im.copyState, sizeof s.copyState);
  std::memcpy(s.pasteState, im.pasteState, sizeof s.pasteState);
  s.editMode = im.editMode;
  s.mainLevl = im.mainLevl;
  s.bufstart = im.bufstart;
  s.morph = im.morph;
  s.move = im.move;
  s.trigmode = im.trigmode;
  s.flood = im.flood;
  s.loadAudioButton = im.loadAudioButton;
  s.reservedScalar = im.reservedScalar;
  s.bankMenuValue = im.bankMenuValue;
  s.saveBankButton = im.saveBankButton;
  s.editRow = s.masterEditMode() ? kMasterRow : im.editRow;
  s.playRow = im.playRow;
  s.lastSelectedKey = im.lastSelectedKey;
}

}  // namespace tarnwick
