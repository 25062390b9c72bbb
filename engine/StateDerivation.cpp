// Which words of a state are derived, what a change obliges the other side to derive, and deriving it.
#include "engine/StateDerivation.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "engine/Numeric.h"
#include "engine/RowDerivation.h"

namespace tarnwick {

namespace {

static_assert(std::is_standard_layout_v<EngineState>, "words are found by their offsets");
static_assert(sizeof(KeyRow) % sizeof(uint32_t) == 0, "rows are whole words");

constexpr size_t wordAtOffset(size_t offset) { return offset / sizeof(uint32_t); }

constexpr size_t kFirstRowWord = wordAtOffset(offsetof(EngineState, rows));
constexpr size_t kWordsPerRow = sizeof(KeyRow) / sizeof(uint32_t);
constexpr size_t kRowsEnd = kFirstRowWord + kRowCount * kWordsPerRow;
constexpr size_t kDelayValueWord = wordAtOffset(offsetof(KeyRow, delayValue));
constexpr size_t kDelayTimeWord = wordAtOffset(offsetof(KeyRow, delayTime));
constexpr size_t kUnitDuraWord = wordAtOffset(offsetof(KeyRow, unitDura));
constexpr size_t kGrainLengthWord = wordAtOffset(offsetof(KeyRow, grainLength));
constexpr size_t kDelayRangeWord = wordAtOffset(offsetof(EngineState, options) + kOptDelayRange * sizeof(float));
constexpr size_t kTempoWord = wordAtOffset(offsetof(EngineState, tempo));
static_assert(sizeof(EngineState::tempo) == 2 * sizeof(uint32_t) && offsetof(EngineState, tempo) % 4 == 0);

// What a word of the state is, as far as derivation goes.
enum class WordRole : uint8_t {
  kPlain,         // a parameter, option or bookkeeping word nothing here is derived from
  kDelayValue,    // a row's delay value: the user's value, as the range admits it
  kDelayTime,     // derived from the delay value and the range
  kUnitDura,      // a row's grain length parameter
  kGrainLength,   // derived from unitDura and the length context
  kMainLevel,     // the main level parameter
  kMainGain,      // derived from the main level
  kDelayUnit,     // derived from the range, the rate and the tempo
  kDelayRange,    // the range option: the delay unit, and the delays when it turns quantization on or off
  kRateOrTempo,   // the delay unit and every grain length
  kFrameOrKeys,   // every grain length: the recording's frame count, the mapping's key count
  kEditRow,       // which row the edit row's grain length is read from
  kEditRowLength  // derived: the edit row's grain length
};

struct WordPlace {
  WordRole role;
  int32_t row;
  int32_t grain;
};

WordPlace placeOf(size_t word) {
  if (word >= kFirstRowWord && word < kRowsEnd) {
    const auto row = static_cast<int32_t>((word - kFirstRowWord) / kWordsPerRow);
    const size_t inRow = (word - kFirstRowWord) % kWordsPerRow;
    if (inRow >= kDelayValueWord && inRow < kDelayValueWord + kGrainCount) {
      return {WordRole::kDelayValue, row, static_cast<int32_t>(inRow - kDelayValueWord)};
    }
    if (inRow >= kDelayTimeWord && inRow < kDelayTimeWord + kGrainCount) return {WordRole::kDelayTime, row, 0};
    if (inRow == kUnitDuraWord) return {WordRole::kUnitDura, row, 0};
    if (inRow == kGrainLengthWord) return {WordRole::kGrainLength, row, 0};
    return {WordRole::kPlain, row, 0};  // release, envelope
  }
  switch (word) {
    case wordAtOffset(offsetof(EngineState, mainLevl)): return {WordRole::kMainLevel, 0, 0};
    case wordAtOffset(offsetof(EngineState, masterGain)): return {WordRole::kMainGain, 0, 0};
    case wordAtOffset(offsetof(EngineState, delayUnit)): return {WordRole::kDelayUnit, 0, 0};
    case kDelayRangeWord: return {WordRole::kDelayRange, 0, 0};
    case wordAtOffset(offsetof(EngineState, sampleRate)):
    case kTempoWord:
    case kTempoWord + 1: return {WordRole::kRateOrTempo, 0, 0};
    case wordAtOffset(offsetof(EngineState, keyCount)):
    case wordAtOffset(offsetof(EngineState, buffer) + offsetof(BufferView, frameCount)):
    case wordAtOffset(offsetof(EngineState, buffer) + offsetof(BufferView, frameCountF)):
      return {WordRole::kFrameOrKeys, 0, 0};
    case wordAtOffset(offsetof(EngineState, editRow)): return {WordRole::kEditRow, 0, 0};
    case wordAtOffset(offsetof(EngineState, editRowGrainLength)): return {WordRole::kEditRowLength, 0, 0};
    default: return {WordRole::kPlain, 0, 0};
  }
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool validRow(int32_t row) { return row >= 0 && row < kRowCount; }

// Deriving the row's delays from now's delay values gives now's values and times.
bool delaysFollow(const EngineState& now, int32_t row) {
  const KeyRow& r = now.rows[row];
  for (int g = 0; g < kGrainCount; ++g) {
    const DelayValue d = deriveDelay(r.delayValue[g], now.quantized());
    if (!sameBits(d.value, r.delayValue[g]) || !sameBits(d.time, r.delayTime[g])) return false;
  }
  return true;
}

bool lengthFollows(const EngineState& now, int32_t row, const RowContext& context) {
  return now.rows[row].grainLength == grainLengthFor(now.rows[row].unitDura, context);
}

bool editRowLengthFollows(const EngineState& now) {
  return validRow(now.editRow) &&
         sameBits(now.editRowGrainLength, static_cast<float>(now.rows[now.editRow].grainLength));
}

// The delay value changed only because the range admits values differently now: the taking side
// admits its own value the same way.
bool onlyAdmitted(const EngineState& before, const EngineState& now, int32_t row, int32_t grain) {
  const float value = now.rows[row].delayValue[grain];
  return sameBits(value, deriveDelay(before.rows[row].delayValue[grain], now.quantized()).value);
}

}  // namespace

float delayUnitOf(const EngineState& s) {
  switch (truncToInt(s.options[kOptDelayRange])) {
    case 0: return 0.2f * s.sampleRate;
    case 1: return 0.4f * s.sampleRate;
    case 2: return 1.0f * s.sampleRate;
    case 3: return 60.0f * s.sampleRate / static_cast<float>(s.tempo);
    default: return s.delayUnit;
  }
}

uint32_t sortChanges(const EngineState& before, const EngineState& now, uint32_t* changed, uint32_t count,
                     Derivations& needs) {
  // What the changed words ask to be derived: their own derived values, and whatever depends on a
  // parameter or context word that changed.
  Derivations wanted;
  bool allDelays = false;
  bool allLengths = false;
  for (uint32_t k = 0; k < count; ++k) {
    const WordPlace p = placeOf(changed[k]);
    switch (p.role) {
      case WordRole::kPlain: break;
      case WordRole::kDelayValue:
      case WordRole::kDelayTime: wanted.addDelays(p.row); break;
      case WordRole::kUnitDura:
      case WordRole::kGrainLength: wanted.addLength(p.row); break;
      case WordRole::kMainLevel:
      case WordRole::kMainGain: wanted.addScalar(Derivations::kMainGain); break;
      case WordRole::kDelayUnit: wanted.addScalar(Derivations::kDelayUnit); break;
      case WordRole::kDelayRange:
        wanted.addScalar(Derivations::kDelayUnit);
        allDelays = allDelays || before.quantized() != now.quantized();
        break;
      case WordRole::kRateOrTempo:
        wanted.addScalar(Derivations::kDelayUnit);
        allLengths = true;
        break;
      case WordRole::kFrameOrKeys: allLengths = true; break;
      case WordRole::kEditRow:
      case WordRole::kEditRowLength: wanted.addScalar(Derivations::kEditRowLength); break;
    }
  }

  // Granted: the derivations that give exactly now's words.
  needs = Derivations{};
  const RowContext context = rowContextOf(now);
  for (int32_t row = 0; row < kRowCount; ++row) {
    if ((allDelays || wanted.delays(row)) && delaysFollow(now, row)) needs.addDelays(row);
    if ((allLengths || wanted.length(row)) && lengthFollows(now, row, context)) needs.addLength(row);
  }
  // The edit row's grain length follows its row's wherever that is derived again.
  if (validRow(now.editRow) && needs.length(now.editRow)) wanted.addScalar(Derivations::kEditRowLength);
  if (wanted.scalar(Derivations::kDelayUnit) && sameBits(now.delayUnit, delayUnitOf(now))) {
    needs.addScalar(Derivations::kDelayUnit);
  }
  if (wanted.scalar(Derivations::kMainGain) && sameBits(now.masterGain, mainGainOf(now.mainLevl))) {
    needs.addScalar(Derivations::kMainGain);
  }
  if (wanted.scalar(Derivations::kEditRowLength) && editRowLengthFollows(now)) {
    needs.addScalar(Derivations::kEditRowLength);
  }

  // The values: every changed word no granted derivation accounts for.
  uint32_t values = 0;
  for (uint32_t k = 0; k < count; ++k) {
    const WordPlace p = placeOf(changed[k]);
    bool derived = false;
    switch (p.role) {
      case WordRole::kDelayValue: derived = needs.delays(p.row) && onlyAdmitted(before, now, p.row, p.grain); break;
      case WordRole::kDelayTime: derived = needs.delays(p.row); break;
      case WordRole::kGrainLength: derived = needs.length(p.row); break;
      case WordRole::kMainGain: derived = needs.scalar(Derivations::kMainGain); break;
      case WordRole::kDelayUnit: derived = needs.scalar(Derivations::kDelayUnit); break;
      case WordRole::kEditRowLength: derived = needs.scalar(Derivations::kEditRowLength); break;
      default: break;
    }
    if (!derived) changed[values++] = changed[k];
  }
  return values;
}

void deriveAgain(EngineState& s, const Derivations& needs) {
  const RowContext context = rowContextOf(s);
  for (int32_t row = 0; row < kRowCount; ++row) {
    KeyRow& r = s.rows[row];
    if (needs.delays(row)) {
      for (int g = 0; g < kGrainCount; ++g) {
        const DelayValue d = deriveDelay(r.delayValue[g], context.quantized);
        r.delayValue[g] = d.value;
        r.delayTime[g] = d.time;
      }
    }
    if (needs.length(row)) r.grainLength = grainLengthFor(r.unitDura, context);
  }
  if (needs.scalar(Derivations::kDelayUnit)) s.delayUnit = delayUnitOf(s);
  if (needs.scalar(Derivations::kMainGain)) s.masterGain = mainGainOf(s.mainLevl);
  if (needs.scalar(Derivations::kEditRowLength) && validRow(s.editRow)) {
    s.editRowGrainLength = static_cast<float>(s.rows[s.editRow].grainLength);
  }
}

}  // namespace tarnwick
