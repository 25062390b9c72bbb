// Key-row edit operations: delay and grain-length writes, ranges, mapping, modes, Reset, copy/paste.
#include <cstring>

#include "engine/Engine.h"
#include "engine/Numeric.h"
#include "engine/TempoSteps.h"

namespace tarnwick {

namespace {

struct Mapping {
  int32_t keyCount, lowKey, highKey;
};
constexpr Mapping kMappings[7] = {{128, 0, 127}, {88, 21, 108}, {76, 28, 103}, {61, 36, 96},
                                  {49, 36, 84},  {37, 48, 84},  {25, 48, 72}};

}  // namespace

float Engine::writeDelay(int32_t grain, float v) {
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  if (s.quantized()) {
    const int32_t q = tempoStepOf(v);
    v = static_cast<float>(q) / 14.0f;
    row.delayTime[grain] = kTempoStepBeats[q];
  } else {
    if (v != 0.0f && v < 0.08f) v = 0.08f;
    row.delayTime[grain] = v;
  }
  row.delayValue[grain] = v;
  return v;
}

int32_t Engine::grainLengthForStep(int32_t step) const {
  const EngineState& s = *s_;
  if (step == 0) return truncSaturate(s.buffer.frameCountF / static_cast<float>(s.keyCount));
  if (step >= 1 && step <= 7) {
    return truncSaturate(kGrainStepBeats[step] * 60.0f * s.sampleRate / static_cast<float>(s.tempo));
  }
  if (step == 8) return s.buffer.frameCount;
  return 0;
}

float Engine::writeUnitDura(float v) {
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  row.unitDura = v;
  const int32_t step = truncToInt(8.0f * v);
  row.grainLength = grainLengthForStep(step);
  if (step == 8) s.keySplitStart = 0.0f;
  s.editRowGrainLength = static_cast<float>(row.grainLength);
  // The editor shows the step; a value far outside the table keeps its own value.
  return (step >= -8 && step <= 16) ? static_cast<float>(step) / 8.0f : v;
}

void Engine::setDelayRange(float v) {
  EngineState& s = *s_;
  silenceAll();
  s.options[kOptDelayRange] = v;
  refreshDelayUnit();
  if (truncToInt(v) == kQuantizedRange) {
    for (int i = 0; i < kGrainCount; ++i) setParameter(kDelay01 + i, getParameter(kDelay01 + i));
  }
  reapplyRows();
  selectKey(s.editRow);
}

void Engine::setKeyMapping(float v) {
  EngineState& s = *s_;
  s.options[kOptKeyMapping] = v;
  const int32_t m = truncToInt(v);
  if (m >= 0 && m < 7) {
    s.keyCount = kMappings[m].keyCount;
    s.lowKey = kMappings[m].lowKey;
    s.highKey = kMappings[m].highKey;
  }
  silenceAll();
  reapplyRows();
  selectKey(s.lowKey);
}

void Engine::runReset(float v) {
  EngineState& s = *s_;
  silenceAll();
  s.options[kOptResetAction] = v;
  switch (truncToInt(v)) {
    case 0: resetDelays(); break;
    case 1: resetCopyBuffer(); break;
    case 2: applyOptions(); break;
    case 3:
      applyOptions();
      loadProgram(0);
      selectKey(s.lowKey);
      resetCopyBuffer();
      break;
    default: break;
  }
  reapplyRows();
  selectKey(s.editRow);
}

void Engine::selectKey(int32_t key) {
  EngineState& s = *s_;
  if (key < 0 || key >= kRowCount) key = key < 0 ? 0 : kMasterRow;
  if (!s.masterEditMode()) {
    s.editRow = key;
    s.lastSelectedKey = key < kKeyCount ? key : s.lastSelectedKey;
  }
  for (int i = 0; i < kGrainCount; ++i) setParameter(kDelay01 + i, getParameter(kDelay01 + i));
  for (int32_t i : {kUnitDura, kRelease, kEnvelope}) setParameter(i, getParameter(i));
  s.keySplitStart =
      s.masterEditMode() ? 0.0f : static_cast<float>((s.buffer.frameCount / s.keyCount) * (key - s.lowKey));
}

void Engine::toggleEditMode() {
  EngineState& s = *s_;
  if (!s.masterEditMode()) {
    s.editMode = 1.0f;
    s.editRow = kMasterRow;
    selectKey(kMasterRow);
  } else {
    s.editMode = 0.0f;
    s.editRow = s.lowKey;
    selectKey(s.lowKey);
  }
}

void Engine::reapplyRows() {
  EngineState& s = *s_;
  const int32_t keep = s.editRow;
  for (int32_t r = 0; r < kRowCount; ++r) {
    s.editRow = r;
    for (int32_t i : {kUnitDura, kRelease, kEnvelope}) setParameter(i, getParameter(i));
    for (int32_t i = kDelay01; i <= kDelay32; ++i) setParameter(i, getParameter(i));
  }
  s.editRow = keep;
  setParameter(kUnitDura, getParameter(kUnitDura));
}

void Engine::loadProgram(int32_t program) {
  EngineState& s = *s_;
  if (program != 0) return;  // there is one program
  s.currentProgram = program;
  const ProgramRecord& p = s.program;
  for (KeyRow& row : s.rows) {
    row.envelope = p.envelope;
    row.release = p.release;
  }
  const int32_t keep = s.editRow;
  for (int32_t r = 0; r < kRowCount; ++r) {
    s.editRow = r;
    setParameter(kUnitDura, p.unitDura);
    for (int i = 0; i < kGrainCount; ++i) setParameter(kDelay01 + i, p.delays[i]);
  }
  s.editRow = keep;
  setParameter(kMainLevl, p.mainLevl);
  setParameter(kMorph, p.morph);
  setParameter(kMove, p.move);
  setParameter(kTrigmode, p.trigmode);
  setParameter(kFlood, p.flood);
  setParameter(kBufstart, p.bufstart);
}

void Engine::applyOptions() {
  const ProgramRecord& p = s_->program;
  setParameter(kDelayRange, p.options[kOptDelayRange]);
  setParameter(kKeyMapping, p.options[kOptKeyMapping]);
  setParameter(kMorphAlgorithm, p.options[kOptMorphAlgorithm]);
}

void Engine::resetDelays() {
  EngineState& s = *s_;
  const ProgramRecord& p = s.program;
  for (KeyRow& row : s.rows) {
    for (int g = 0; g < kGrainCount; ++g) row.delayValue[g] = row.delayTime[g] = p.delays[g];
  }
  for (int i = 0; i < kGrainCount; ++i) setParameter(kDelay01 + i, p.delays[i]);
}

void Engine::resetCopyBuffer() { std::memcpy(s_->copyBuffer, kFactoryCopyShapes, sizeof s_->copyBuffer); }

void Engine::copy(int32_t slot) {
  EngineState& s = *s_;
  if (slot < 0 || slot >= kCopySlots) return;
  std::memcpy(s.copyBuffer[slot], s.rows[s.editRow].delayValue, sizeof s.copyBuffer[slot]);
}

void Engine::paste(int32_t slot) {
  EngineState& s = *s_;
  if (slot < 0 || slot >= kCopySlots) return;
  for (int i = 0; i < kGrainCount; ++i) setParameter(kDelay01 + i, s.copyBuffer[slot][i]);
}

}  // namespace tarnwick
