// Chunk record layout: little-endian fields at fixed offsets, written and read field by field. The
// values that belong to parameter indices are found through the parameter table.
#include "storage/ChunkRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/ParameterTable.h"
#include "storage/LittleEndian.h"

namespace tarnwick {

namespace {

using le::getI32;
using le::putF32;
using le::putI32;

// The offsets the table gives for index-backed values are the record's own.
static_assert(parameterInfo(kMainLevl)->chunkOffset == chunk::kMainLevl);
static_assert(parameterInfo(kBufstart)->chunkOffset == chunk::kBufstart);
static_assert(parameterInfo(kMorph)->chunkOffset == chunk::kMorph);
static_assert(parameterInfo(kTrigmode)->chunkOffset == chunk::kTrigmode);
static_assert(parameterInfo(kMove)->chunkOffset == chunk::kMove);
static_assert(parameterInfo(kLoadAudioButton)->chunkOffset == chunk::kLoadAudioButton);
static_assert(parameterInfo(kBankMenuValue)->chunkOffset == chunk::kBankMenuValue);
static_assert(parameterInfo(kSaveBankButton)->chunkOffset == chunk::kSaveBankButton);
static_assert(parameterInfo(kFlood)->chunkOffset == chunk::kFlood);
static_assert(parameterInfo(kCopyFirst)->chunkOffset == chunk::kCopyStates);
static_assert(parameterInfo(kPasteFirst)->chunkOffset == chunk::kPasteStates);
static_assert(parameterInfo(kEditMode)->chunkOffset == chunk::kEditMode);

// A stored NaN or infinity reads as 0.0.
float getF32(const uint8_t* p) {
  const float v = le::getF32(p);
  return std::isfinite(v) ? v : 0.0f;
}

// A row value, brought into the range of the parameter it belongs to.
float getRowValue(const uint8_t* p, int32_t index) {
  float v = getF32(p);
  return admitValue(*parameterInfo(index), v) ? v : 0.0f;
}

// Calls f(index, offset) for every index whose own value the record carries.
template <typename F>
void forEachIndexField(F&& f) {
  for (const ParameterInfo& info : kParameterTable) {
    if (info.chunkOffset == kNoChunkOffset) continue;
    for (int32_t k = 0; k < info.count; ++k) f(info, info.first + k, static_cast<size_t>(info.chunkOffset) + 4 * k);
  }
}

}  // namespace

void writeChunkRecord(const EngineState& s, uint8_t* out) {
  std::memset(out, 0, kChunkSize);
  const size_t pathLength = strnlen(s.program.audioFileName, kPathCapacity - 1);
  std::memcpy(out + chunk::kPath, s.program.audioFileName, pathLength);
  putI32(out + chunk::kVersion, kChunkVersion);
  putI32(out + chunk::kRevision, kChunkRevision);
  for (int i = 0; i < kOptionCount; ++i) putF32(out + chunk::option(i), s.options[i]);
  for (int r = 0; r < kRowCount; ++r) {
    const KeyRow& row = s.rows[r];
    for (int d = 0; d < kGrainCount; ++d) putF32(out + chunk::delay(r, d), row.delayValue[d]);
    putF32(out + chunk::kUnitDura + 4 * r, row.unitDura);
    putF32(out + chunk::kRelease + 4 * r, row.release);
    putF32(out + chunk::kEnvelope + 4 * r, row.envelope);
  }
  for (int slot = 0; slot < kCopySlots; ++slot) {
    for (int d = 0; d < kGrainCount; ++d) putF32(out + chunk::copyBuffer(slot, d), s.copyBuffer[slot][d]);
  }
  forEachIndexField([&](const ParameterInfo& info, int32_t index, size_t offset) {
    putF32(out + offset, *storedValueOf(s, info, index));
  });
  putF32(out + chunk::kReservedScalar, s.reservedScalar);
  putI32(out + chunk::kEditRow, s.editRow);
  putI32(out + chunk::kPlayRow, s.playRow);
  putI32(out + chunk::kLastKey, s.lastSelectedKey);
  putI32(out + chunk::kFloodWork, s.floodSourceKey);
}

bool parseChunkRecord(const uint8_t* data, size_t size, ChunkImage& im) {
  if (!data || size != kChunkSize) return false;
  if (getI32(data + chunk::kVersion) != kChunkVersion || getI32(data + chunk::kRevision) != kChunkRevision) {
    return false;
  }
  const size_t pathLength = strnlen(reinterpret_cast<const char*>(data), chunk::kPathBytes);
  im.pathTooLong = pathLength >= static_cast<size_t>(kPathCapacity);  // includes "no terminator at all"
  std::memset(im.path, 0, sizeof im.path);
  if (!im.pathTooLong) std::memcpy(im.path, data, pathLength);

  EngineState& v = im.values;
  for (int i = 0; i < kOptionCount; ++i) v.options[i] = getF32(data + chunk::option(i));
  for (int r = 0; r < kRowCount; ++r) {
    KeyRow& row = v.rows[r];
    for (int d = 0; d < kGrainCount; ++d) row.delayValue[d] = getRowValue(data + chunk::delay(r, d), kDelay01 + d);
    row.unitDura = getRowValue(data + chunk::kUnitDura + 4 * r, kUnitDura);
    row.release = getRowValue(data + chunk::kRelease + 4 * r, kRelease);
    row.envelope = getRowValue(data + chunk::kEnvelope + 4 * r, kEnvelope);
  }
  // Copy-buffer values become delays when pasted.
  for (int slot = 0; slot < kCopySlots; ++slot) {
    for (int d = 0; d < kGrainCount; ++d)
      v.copyBuffer[slot][d] = getRowValue(data + chunk::copyBuffer(slot, d), kDelay01);
  }
  forEachIndexField([&](const ParameterInfo& info, int32_t index, size_t offset) {
    float value = getF32(data + offset);
    *storedValueOf(v, info, index) = admitValue(info, value) ? value : 0.0f;
  });
  v.reservedScalar = getF32(data + chunk::kReservedScalar);
  v.editRow = std::clamp(getI32(data + chunk::kEditRow), 0, kMasterRow);
  v.playRow = std::clamp(getI32(data + chunk::kPlayRow), 0, kMasterRow);
  v.lastSelectedKey = std::clamp(getI32(data + chunk::kLastKey), 0, kKeyCount - 1);
  return true;
}

void applyChunkFields(const ChunkImage& im, EngineState& s) {
  const EngineState& v = im.values;
  for (int i = 0; i < kOptionCount; ++i) {
    // A menu option must name an entry; the others are working values carried unchanged.
    bool valid = true;
    for (const ParameterInfo& info : kParameterTable) {
      if (info.stored == Stored::kOption && info.optionSlot == i) valid = menuEntry(info, v.options[i]) >= 0;
    }
    if (valid) s.options[i] = v.options[i];
  }
  for (int r = 0; r < kRowCount; ++r) {
    KeyRow& row = s.rows[r];
    std::memcpy(row.delayValue, v.rows[r].delayValue, sizeof row.delayValue);
    row.unitDura = v.rows[r].unitDura;
    row.release = v.rows[r].release;
    row.envelope = v.rows[r].envelope;
  }
  std::memcpy(s.copyBuffer, v.copyBuffer, sizeof s.copyBuffer);
  forEachIndexField([&](const ParameterInfo& info, int32_t index, size_t) {
    *storedValueOf(s, info, index) = *storedValueOf(v, info, index);
  });
  s.reservedScalar = v.reservedScalar;
  s.editRow = s.masterEditMode() ? kMasterRow : v.editRow;
  s.playRow = v.playRow;
  s.lastSelectedKey = v.lastSelectedKey;
}

}  // namespace tarnwick
