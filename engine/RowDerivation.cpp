// Derived row values: delay times, grain lengths and the fade floor.
#include "engine/RowDerivation.h"

#include "engine/EngineState.h"
#include "engine/Numeric.h"
#include "engine/TempoSteps.h"

namespace tarnwick {

RowContext rowContextOf(const EngineState& s) {
  return {s.quantized(), s.buffer.frameCount, s.buffer.frameCountF, s.keyCount, s.sampleRate, s.tempo};
}

DelayValue deriveDelay(float v, bool quantized) {
  if (quantized) {
    const int32_t q = tempoStepOf(v);
    return {static_cast<float>(q) / 14.0f, kTempoStepBeats[q]};
  }
  if (v != 0.0f && v < 0.08f) v = 0.08f;
  return {v, v};
}

int32_t grainLengthFor(float unitDura, const RowContext& c) {
  const int32_t step = truncToInt(8.0f * unitDura);
  if (step == 0) return truncSaturate(c.frameCountF / static_cast<float>(c.keyCount));
  if (step >= 1 && step <= 7) {
    return truncSaturate(kGrainStepBeats[step] * 60.0f * c.sampleRate / static_cast<float>(c.tempo));
  }
  if (step == 8) return c.frameCount;
  return 0;
}

void deriveRow(KeyRow& row, const RowContext& c) {
  row.grainLength = grainLengthFor(row.unitDura, c);
  row.envelope = envelopeFloor(row.envelope);
  for (int g = 0; g < kGrainCount; ++g) {
    const DelayValue d = deriveDelay(row.delayValue[g], c.quantized);
    row.delayValue[g] = d.value;
    row.delayTime[g] = d.time;
  }
}

float hostValueAfterWrite(int32_t index, float v, float current, bool quantized) {
  if (v != v) return current;
  v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
  if (isDelayIndex(index)) return deriveDelay(v, quantized).value;
  if (index == kEnvelope) return envelopeFloor(v);
  return v;
}

}  // namespace tarnwick
