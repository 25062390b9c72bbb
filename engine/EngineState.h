// Everything the engine knows apart from its voices: parameter values, the key rows, the copy buffer,
// the options, the program, the edit and play rows and the recording's view. A plain record (no
// owned memory), so that whole states can be copied, compared and handed between threads.
#pragma once

#include <cstdint>
#include <type_traits>

#include "engine/AudioBuffer.h"
#include "engine/Constants.h"
#include "engine/KeyRow.h"
#include "engine/Numeric.h"
#include "engine/ProgramRecord.h"

namespace tarnwick {

struct EngineState {
  float mainLevl = 0.75f;
  float masterGain = 0.5f;
  float trigmode = 0.0f;
  float move = 0.0f;
  float morph = 0.0f;
  float bufstart = 0.0f;
  float flood = 0.0f;
  float loadAudioButton = 0.0f;
  float bankMenuValue = 0.0f;
  float saveBankButton = 0.0f;
  float reservedScalar = 0.0f;  // carried through chunks unchanged
  float copyState[kCopySlots] = {};
  float pasteState[kCopySlots] = {};
  float options[kOptionCount] = {1.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10.0f, 1.0f, 0.0f};
  float editMode = 0.0f;  // 0 Single Key Edit Mode, 1 Master Edit Mode
  int32_t editRow = 0;
  int32_t lastSelectedKey = 0;
  int32_t playRow = 0;
  int32_t keyCount = 128;
  int32_t lowKey = 0;
  int32_t highKey = 127;
  float delayUnit = 0.2f;
  float editRowGrainLength = 0.0f;
  float keySplitStart = 0.0f;
  float sampleRate = 44100.0f;
  double tempo = 120.0;
  bool engineBusy = true;
  int32_t floodSourceKey = 0;
  // Counts the requests to stop every voice; a side that plays voices silences them whenever it
  // sees the count change, so the request travels with the state.
  uint32_t silenceRequests = 0;
  int32_t currentProgram = 0;
  KeyRow rows[kRowCount];
  float copyBuffer[kCopySlots][kGrainCount];
  ProgramRecord program;
  BufferView buffer;

  bool masterEditMode() const { return editMode != 0.0f; }
  bool quantized() const { return truncToInt(options[kOptDelayRange]) == kQuantizedRange; }
};

static_assert(std::is_trivially_copyable_v<EngineState>, "states are copied and compared as plain memory");

}  // namespace tarnwick
