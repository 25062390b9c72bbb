// A key row's derived values as pure functions of its own parameters and the context they are
// derived in: the delay times (and the normalised delay values they admit), the grain length and
// the fade floor. Re-deriving a row never depends on what was derived before.
#pragma once

#include <cstdint>

#include "engine/KeyRow.h"

namespace tarnwick {

struct EngineState;

// What a row's derived values depend on besides the row itself.
struct RowContext {
  bool quantized = false;  // the delay fader range is "quantized to tempo"
  int32_t frameCount = 0;
  float frameCountF = 0.0f;
  int32_t keyCount = 1;
  float sampleRate = 44100.0f;
  double tempo = 120.0;
};

RowContext rowContextOf(const EngineState& state);

// The stored delay value and delay time of a delay written as v: quantized to a tempo step, or raised
// to the 0.08 floor when nonzero in the millisecond ranges.
struct DelayValue {
  float value;
  float time;
};
DelayValue deriveDelay(float v, bool quantized);

// The grain length in samples of a row whose unitDura gives the step trunc(8 × unitDura).
int32_t grainLengthFor(float unitDura, const RowContext& context);

// The envelope a row keeps: at least 0.01.
inline float envelopeFloor(float v) { return v < 0.01f ? 0.01f : v; }

// The value a host parameter (index below kHostParamCount) reads as after a write of v: v brought into
// 0..1, a delay as deriveDelay stores it, the envelope with its floor; NaN leaves current.
float hostValueAfterWrite(int32_t index, float v, float current, bool quantized);

// Re-derives every derived value of row from its parameters.
void deriveRow(KeyRow& row, const RowContext& context);

}  // namespace tarnwick
