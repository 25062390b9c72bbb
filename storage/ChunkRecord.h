// The 38168-byte state record exchanged with the host (and embedded in bank files): every setting,
// all key rows, the copy buffer and the recording's path, but not the samples.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Constants.h"
#include "engine/EngineState.h"

namespace tarnwick {

// Byte offsets of the record's fields (little-endian int32 and IEEE single floats).
namespace chunk {
inline constexpr size_t kSize = 38168;
inline constexpr size_t kPath = 0;
inline constexpr size_t kPathBytes = 2048;
inline constexpr size_t kVersion = 2048;   // int32 10
inline constexpr size_t kRevision = 2052;  // int32 4
inline constexpr size_t kOptions = 2056;   // float[10]
inline constexpr size_t kReserved = 2096;  // float[20], written as 0
inline constexpr size_t kDelays = 2176;    // float[129][32]
inline constexpr size_t kReservedRows = 18688;
inline constexpr size_t kCopyBuffer = 35200;  // float[10][32]
inline constexpr size_t kUnitDura = 36480;    // float[129]
inline constexpr size_t kRelease = 36996;     // float[129]
inline constexpr size_t kEnvelope = 37512;    // float[129]
inline constexpr size_t kEditMode = 38028;
inline constexpr size_t kMainLevl = 38032;
inline constexpr size_t kBufstart = 38036;
inline constexpr size_t kMorph = 38040;
inline constexpr size_t kTrigmode = 38044;
inline constexpr size_t kMove = 38048;
inline constexpr size_t kLoadAudioButton = 38052;
inline constexpr size_t kReservedScalar = 38056;
inline constexpr size_t kBankMenuValue = 38060;
inline constexpr size_t kSaveBankButton = 38064;
inline constexpr size_t kFlood = 38068;
inline constexpr size_t kCopyStates = 38072;   // float[10]
inline constexpr size_t kPasteStates = 38112;  // float[10]
inline constexpr size_t kEditRow = 38152;      // int32
inline constexpr size_t kPlayRow = 38156;      // int32
inline constexpr size_t kLastKey = 38160;      // int32
inline constexpr size_t kFloodWork = 38164;    // int32, written, ignored on restore

constexpr size_t delay(int32_t row, int32_t grain) { return kDelays + (32 * static_cast<size_t>(row) + grain) * 4; }
constexpr size_t copyBuffer(int32_t slot, int32_t grain) {
  return kCopyBuffer + (32 * static_cast<size_t>(slot) + grain) * 4;
}
constexpr size_t option(int32_t slot) { return kOptions + 4 * static_cast<size_t>(slot); }
}  // namespace chunk

inline constexpr size_t kChunkSize = chunk::kSize;
inline constexpr int32_t kChunkVersion = 10;
inline constexpr int32_t kChunkRevision = 4;

// A record parsed and brought into range: values in the fields of a state (only the fields the record
// carries mean anything), non-finite floats read as 0.0, every value clamped to its parameter's range,
// rows and keys clamped to theirs.
struct ChunkImage {
  char path[chunk::kPathBytes];
  bool pathTooLong = false;  // 1024 characters or more, or no terminator at all
  EngineState values;
};

// Fills out (kChunkSize bytes) from the state and the program's audio file name.
void writeChunkRecord(const EngineState& state, uint8_t* out);

// False when the block is not a chunk of this version (wrong size, null, version fields).
bool parseChunkRecord(const uint8_t* data, size_t size, ChunkImage& image);

// Copies the stored values into the state directly, as a restore does before re-applying them; a
// menu value that names no entry leaves the state's own value.
void applyChunkFields(const ChunkImage& image, EngineState& state);

}  // namespace tarnwick
