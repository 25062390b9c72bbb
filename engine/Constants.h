// Sizes of the engine's fixed tables and the numbered parameter space.
#pragma once

#include <cstdint>

namespace tarnwick {

constexpr int kGrainCount = 32;  // grains per key, and delay bars per row
constexpr int kKeyCount = 128;   // MIDI keys
constexpr int kMasterRow = 128;  // the row that serves every key in Master Edit Mode
constexpr int kRowCount = 129;   // 128 key rows + the master row
constexpr int kCopySlots = 10;
constexpr int kOptionCount = 10;
constexpr int kHostParamCount = 40;  // the host sees indices 0..39 only
constexpr int kPathCapacity = 1024;  // audio and bank file paths, terminator included
constexpr int kMorphGrainCapacity = 4096;
constexpr float kDefaultFadeLength = 220.0f;
// Largest sample magnitude a recording may hold: far beyond any real audio, and small enough that every
// sum the render and the morph form stays finite.
constexpr float kSampleLimit = 1.0e6f;

// Parameter indices: host parameters 0..39, then the editor's internal indices.
enum ParamIndex : int32_t {
  kMainLevl = 0,
  kUnitDura = 1,
  kRelease = 2,
  kEnvelope = 3,
  kTrigmode = 4,
  kMove = 5,
  kMorph = 6,
  kBufstart = 7,
  kDelay01 = 8,
  kDelay32 = 39,
  kCopyFirst = 42,  // 42..51 copy slots 0..9; 52..57 are named "copy" but have no slot
  kCopyNamedLast = 57,
  kPasteFirst = 58,  // 58..67 paste slots 0..9; 68..73 are named "paste" but have no slot
  kPasteNamedLast = 73,
  kEditMode = 109,
  kEditorRefresh = 251,
  kEditorRedraw = 252,
  kPeakLevel = 258,
  kLoadAudioButton = 260,
  kBankMenuValue = 261,
  kSaveBankButton = 262,
  kFlood = 263,
  kMainMenuValue = 264,
  kDelayRange = 265,
  kKeyMapping = 266,
  kResetAction = 267,
  kMorphAlgorithm = 268,
};

// Slots of the options block that carry engine settings; the others are only kept and stored.
enum OptionSlot : int {
  kOptDelayRange = 1,
  kOptKeyMapping = 4,
  kOptMorphAlgorithm = 6,
  kOptMorphGrainCount = 7,
  kOptResetAction = 8,
};

constexpr int kQuantizedRange = 3;  // delay fader range "quantized to tempo"

inline bool isDelayIndex(int32_t index) { return index >= kDelay01 && index <= kDelay32; }

}  // namespace tarnwick
