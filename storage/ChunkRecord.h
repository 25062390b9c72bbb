// The 38168-byte state record exchanged with the host (and embedded in bank files): every setting,
// all key rows, the copy buffer and the recording's path, but not the samples.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Constants.h"

namespace tarnwick {

struct EngineState;

constexpr size_t kChunkSize = 38168;
constexpr int32_t kChunkVersion = 10;
constexpr int32_t kChunkRevision = 4;
constexpr size_t kChunkPathBytes = 2048;
constexpr size_t kChunkVersionOffset = 2048;   // int32 10
constexpr size_t kChunkRevisionOffset = 2052;  // int32 4

// A chunk parsed and hardened: ints clamped to their ranges, non-finite floats read as 0.0.
struct ChunkImage {
  char path[kChunkPathBytes];
  bool pathTooLong = false;  // 1024 characters or more, or no terminator at all
  float options[kOptionCount];
  float delayValues[kRowCount][kGrainCount];
  float copyBuffer[kCopySlots][kGrainCount];
  float unitDura[kRowCount];
  float release[kRowCount];
  float envelope[kRowCount];
  float editMode;
  float mainLevl, bufstart, morph, trigmode, move;
  float loadAudioButton, reservedScalar, bankMenuValue, saveBankButton, flood;
  float copyState[kCopySlots];
  float pasteState[kCopySlots];
  int32_t editRow;
  int32_t playRow;
  int32_t lastSelectedKey;
};

// Fills out (kChunkSize bytes) from the live state and the program's audio file name.
void writeChunkRecord(const EngineState& state, uint8_t* out);

// False when the block is not a chunk of this version (wrong size, null, version fields).
bool parseChunkRecord(const uint8_t* data, size_t size, ChunkImage& image);

// Copies the stored values into the state directly, as a restore does before re-applying them.
void applyChunkFields(const ChunkImage& image, EngineState& state);

}  // namespace tarnwick
