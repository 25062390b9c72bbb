// Key-row edit operations: delay and grain-length writes, ranges, mapping, modes, Reset, copy/paste.
#include <cstring>

#include "engine/Engine.h"
#include "engine/Numeric.h"

namespace tarnwick {

namespace {

struct Mapping {
  int32_t keyCount, lowKey, highKey;
};
constexpr Mapping kMappings[7] = {{128, 0, 127}, {88, 21, 108}, {76, 28, 103}, {61, 36, 96},
                                  {49, 36, 84},  {37, 48, 84},  {25, 48, 72}};

constexpr int32_t kFullsizeStep = 8;

bool fullsize(const KeyRow& row) { return truncToInt(8.0f * row.unitDura) == kFullsizeStep; }

}  // namespace

float Engine::writeDelay(int32_t grain, float v) {
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  const DelayValue d = deriveDelay(v, s.quantized());
  row.delayValue[grain] = d.value;
  row.delayTime[grain] = d.time;
  return d.value;
}

float Engine::writeUnitDura(float v) {
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  row.unitDura = v;
  row.grainLength = grainLengthFor(v, rowContext());
  if (fullsize(row)) s.keySplitStart = 0.0f;
  s.editRowGrainLength = static_cast<float>(row.grainLength);
  // The editor shows the step.
  return static_cast<float>(truncToInt(8.0f * v)) / 8.0f;
}

void Engine::setLayoutSwitch(float EngineState::*field, float v) {
  EngineState& s = *s_;
  silenceAll();
  s.*field = v;
  reapplyRows();
  selectKey(s.editRow);
}

void Engine::setDelayRange(float v) {
  EngineState& s = *s_;
  silenceAll();
  if (menuEntry(*parameterInfo(kDelayRange), v) >= 0) s.options[kOptDelayRange] = v;
  refreshDelayUnit();
  // Re-deriving the rows quantizes every delay (the edit row's too) when the range is quantized.
  reapplyRows();
  selectKey(s.editRow);
}

void Engine::setKeyMapping(float v) {
  EngineState& s = *s_;
  const int32_t m = menuEntry(*parameterInfo(kKeyMapping), v);
  if (m >= 0) {
    s.options[kOptKeyMapping] = v;
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
  const int32_t action = menuEntry(*parameterInfo(kResetAction), v);
  if (action >= 0) s.options[kOptResetAction] = v;
  switch (action) {
    case 0: resetDelays(); break;
    case 1: resetCopyBuffer(); break;
    case 2: applyOptions(); break;
    case 3:
      applyOptions();
      loadProgram(0);
      selectKey(s.lowKey);
      resetCopyBuffer();
      break;
    default: break;  // no action: the keys are still silenced and the rows re-derived
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
  KeyRow& row = s.rows[s.editRow];
  deriveRow(row, rowContext());
  s.editRowGrainLength = static_cast<float>(row.grainLength);
  s.keySplitStart =
      s.masterEditMode() ? 0.0f : static_cast<float>((s.buffer.frameCount / s.keyCount) * (key - s.lowKey));
  echoEditRow();
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
  const RowContext context = rowContext();
  for (KeyRow& row : s.rows) deriveRow(row, context);
  const KeyRow& editRow = s.rows[s.editRow];
  s.editRowGrainLength = static_cast<float>(editRow.grainLength);
  if (fullsize(editRow)) s.keySplitStart = 0.0f;
  echoEditRow();
}

void Engine::loadProgram(int32_t program) {
  EngineState& s = *s_;
  if (program != 0) return;  // there is one program
  s.currentProgram = program;
  const ProgramRecord& p = s.program;
  const RowContext context = rowContext();
  for (KeyRow& row : s.rows) {
    row.envelope = p.envelope;  // as stored, without the 0.01 floor
    row.release = p.release;
    row.unitDura = p.unitDura;
    row.grainLength = grainLengthFor(p.unitDura, context);
    for (int i = 0; i < kGrainCount; ++i) {
      const DelayValue d = deriveDelay(p.delays[i], context.quantized);
      row.delayValue[i] = d.value;
      row.delayTime[i] = d.time;
    }
  }
  s.editRowGrainLength = static_cast<float>(s.rows[s.editRow].grainLength);
  if (fullsize(s.rows[s.editRow])) s.keySplitStart = 0.0f;
  echoEditRow();
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
