// The parameter space in one table: for every index, its name and texts, its range, who may write it
// and on which thread it may take effect, where its value lives in the state and in a session, the
// order in which a session restores it, its engine behaviour and the editor control that shows it.
// Everything that dispatches on an index (the engine's reads and writes, the texts, the editor's echo
// routing, the session record) looks the index up here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/Constants.h"
#include "engine/EngineState.h"

namespace tarnwick {

// Text returned by getParameterLabel.
enum class LabelRule : uint8_t {
  kUntouched,  // the text is left as it was
  kEmpty,
  kGrainNote,  // " note" for the beat-based grain lengths, else empty
  kSeconds,    // " sec" unless the release is infinite
  kSustain,
  kDelayUnit,  // "note" in the range quantized to tempo, else "ms"
};

// Text returned by getParameterDisplay.
enum class DisplayRule : uint8_t {
  kUntouched,
  kEmpty,
  kGainDb,
  kGrainStep,
  kReleaseSeconds,
  kPercent,
  kOnOff,
  kDelay,
};

// The values an index accepts; everything that enters from outside is brought into it on the way in.
enum class ValueRange : uint8_t {
  kUnit,     // 0..1, clamped
  kMenu,     // a whole menu entry number below menuSize; other values leave the setting alone
  kFinite,   // any finite value (button and menu states the editor keeps)
  kIgnored,  // the value carries nothing (a toggle, a notification)
};

// Who writes the index.
enum class Writer : uint8_t {
  kHostAndEditor,    // a host parameter: automation, and the editor through the automated setter
  kEditorAutomated,  // the editor through the automated setter (flood), the host never sees it
  kEditor,           // the editor through the plain setter
  kEngine,           // a notification the engine sends to the editor
  kNobody,           // read-only, or a name without a value behind it
};

// Where a write may take effect.
enum class ApplyThread : uint8_t {
  kAny,            // also on the audio thread: it neither allocates nor waits
  kUserInterface,  // only on the user-interface side; written on the audio thread it is dropped
};

// Where the value lives in the engine state.
enum class Stored : uint8_t {
  kNowhere,     // reads as 0
  kScalar,      // EngineState::*scalar
  kOption,      // options[slot]
  kCopyState,   // copyState[index - first]
  kPasteState,  // pasteState[index - first]
  kRow,         // a field of the edit row (parameters 1, 2, 3, 8..39)
  kPeak,        // the render's peak level, cleared by reading
};

// What a write does besides storing.
enum class Behaviour : uint8_t {
  kNone,  // only echoed to the editor
  kStore,
  kMainLevel,    // stores the level and the gain it gives
  kGrainLength,  // stores unitDura in the edit row, derives its grain length, echoes the step
  kRelease,
  kEnvelope,      // raised to 0.01 at least
  kLayoutSwitch,  // trigmode, move, morph: silence, store, re-derive every row, re-select
  kDelay,         // the delay write of the edit row (quantization or floor)
  kCopy,          // on the falling edge from 1.0, copies the edit row into the slot
  kPaste,         // on the falling edge from 1.0, pastes the slot into the edit row
  kEditMode,      // toggles the edit mode
  kFlood,
  kDelayRange,
  kKeyMapping,
  kReset,
};

// The editor control that shows the index (or what the editor does when it is echoed).
enum class EditorControl : uint8_t {
  kNone,
  kLevelKnob,
  kGrainLengthSlider,
  kReleaseSlider,
  kEnvelopeSlider,
  kTriggerButton,
  kMoveButton,
  kMorphButton,
  kBufferStartSlider,
  kDelayBar,
  kCopyButton,
  kPasteButton,
  kWaveRebind,  // the recording changed: the wave display takes it again
  kRedrawAll,
  kLoadAudioButton,
  kBankMenu,
  kSaveBankButton,
  kFloodButton,
  kMainMenu,
  kDelayRangeMenu,
  kKeyMappingMenu,
  kResetMenu,
  kMorphAlgorithmMenu,
};

inline constexpr int32_t kNoChunkOffset = 0;  // offset 0 of the session record is the path
inline constexpr int8_t kNotRestored = -1;

struct ParameterInfo {
  int32_t first;  // the indices first .. first + count - 1 share the row
  int32_t count;
  const char* name;  // getParameterName; nullptr leaves the text untouched ("delay" rows add the number)
  LabelRule label;
  DisplayRule display;
  ValueRange range;
  int32_t menuSize;
  Writer writer;
  ApplyThread thread;
  Stored stored;
  float EngineState::*scalar;
  int32_t optionSlot;
  Behaviour behaviour;
  // Session record: the byte offset of the index's own value (of the first index for a group; the
  // others follow at 4-byte steps), and the step at which a restore writes it through setParameter.
  int32_t chunkOffset;
  int8_t restoreStep;
  EditorControl control;
};

// Restore sequence of a session: option menus (steps 1..3), then every row is derived again, then
// the copy and paste button states (slot s at steps 10 + 2s and 11 + 2s), then the global switches.
inline constexpr int8_t kRestoreRowsBeforeStep = 10;

namespace table {

using L = LabelRule;
using D = DisplayRule;
using V = ValueRange;
using W = Writer;
using T = ApplyThread;
using S = Stored;
using B = Behaviour;
using C = EditorControl;

constexpr ParameterInfo hostParam(int32_t index, const char* name, L label, D display, S stored,
                                  float EngineState::*scalar, B behaviour, int32_t chunkOffset, int8_t restoreStep,
                                  C control) {
  return {index,   1,      name,   label, display,   V::kUnit,    0,           W::kHostAndEditor,
          T::kAny, stored, scalar, 0,     behaviour, chunkOffset, restoreStep, control};
}

constexpr ParameterInfo internal(int32_t first, int32_t count, const char* name, L label, D display, V range,
                                 int32_t menuSize, W writer, S stored, float EngineState::*scalar, int32_t optionSlot,
                                 B behaviour, int32_t chunkOffset, int8_t restoreStep, C control) {
  return {first,  count,  name,       label,     display,     range,       menuSize, writer, T::kUserInterface,
          stored, scalar, optionSlot, behaviour, chunkOffset, restoreStep, control};
}

// Rows in increasing index order, without overlaps.
inline constexpr ParameterInfo kRows[] = {
    // clang-format off
    table::hostParam(kMainLevl, "mainLevl", L::kEmpty,     D::kGainDb,         S::kScalar, &EngineState::mainLevl, B::kMainLevel,    38032, 40, C::kLevelKnob),
    table::hostParam(kUnitDura, "unitDura", L::kGrainNote, D::kGrainStep,      S::kRow,    nullptr,                B::kGrainLength,  kNoChunkOffset, kNotRestored, C::kGrainLengthSlider),
    table::hostParam(kRelease,  "release",  L::kSeconds,   D::kReleaseSeconds, S::kRow,    nullptr,                B::kRelease,      kNoChunkOffset, kNotRestored, C::kReleaseSlider),
    table::hostParam(kEnvelope, "envelope", L::kSustain,   D::kPercent,        S::kRow,    nullptr,                B::kEnvelope,     kNoChunkOffset, kNotRestored, C::kEnvelopeSlider),
    table::hostParam(kTrigmode, "trigmode", L::kEmpty,     D::kOnOff,          S::kScalar, &EngineState::trigmode, B::kLayoutSwitch, 38044, 44, C::kTriggerButton),
    table::hostParam(kMove,     "move",     L::kEmpty,     D::kOnOff,          S::kScalar, &EngineState::move,     B::kLayoutSwitch, 38048, 43, C::kMoveButton),
    table::hostParam(kMorph,    "morph",    L::kEmpty,     D::kOnOff,          S::kScalar, &EngineState::morph,    B::kLayoutSwitch, 38040, 42, C::kMorphButton),
    table::hostParam(kBufstart, "bufstart", L::kEmpty,     D::kPercent,        S::kScalar, &EngineState::bufstart, B::kStore,        38036, 41, C::kBufferStartSlider),
    {kDelay01, kGrainCount, "delay", L::kDelayUnit, D::kDelay, V::kUnit, 0, W::kHostAndEditor, T::kAny, S::kRow, nullptr, 0, B::kDelay, kNoChunkOffset, kNotRestored, C::kDelayBar},
    table::internal(kCopyFirst,  kCopySlots, "copy",  L::kUntouched, D::kEmpty, V::kFinite, 0, W::kEditor, S::kCopyState,  nullptr, 0, B::kCopy,  38072, 10, C::kCopyButton),
    table::internal(kCopyFirst + kCopySlots, kCopyNamedLast + 1 - kCopyFirst - kCopySlots, "copy", L::kUntouched, D::kEmpty, V::kIgnored, 0, W::kNobody, S::kNowhere, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kNone),
    table::internal(kPasteFirst, kCopySlots, "paste", L::kUntouched, D::kEmpty, V::kFinite, 0, W::kEditor, S::kPasteState, nullptr, 0, B::kPaste, 38112, 11, C::kPasteButton),
    table::internal(kPasteFirst + kCopySlots, kPasteNamedLast + 1 - kPasteFirst - kCopySlots, "paste", L::kUntouched, D::kEmpty, V::kIgnored, 0, W::kNobody, S::kNowhere, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kNone),
    table::internal(kEditMode,        1, nullptr, L::kUntouched, D::kUntouched, V::kIgnored, 0, W::kEditor, S::kScalar, &EngineState::editMode, 0, B::kEditMode, 38028, kNotRestored, C::kNone),
    table::internal(kEditorRefresh,   1, nullptr, L::kUntouched, D::kUntouched, V::kIgnored, 0, W::kEngine, S::kNowhere, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kWaveRebind),
    table::internal(kEditorRedraw,    1, nullptr, L::kUntouched, D::kUntouched, V::kIgnored, 0, W::kEngine, S::kNowhere, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kRedrawAll),
    table::internal(kPeakLevel,       1, nullptr, L::kUntouched, D::kUntouched, V::kIgnored, 0, W::kNobody, S::kPeak, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kNone),
    table::internal(kLoadAudioButton, 1, nullptr, L::kUntouched, D::kUntouched, V::kFinite, 0, W::kEditor, S::kScalar, &EngineState::loadAudioButton, 0, B::kStore, 38052, kNotRestored, C::kLoadAudioButton),
    table::internal(kBankMenuValue,   1, nullptr, L::kUntouched, D::kUntouched, V::kFinite, 0, W::kEditor, S::kScalar, &EngineState::bankMenuValue, 0, B::kNone, 38060, kNotRestored, C::kBankMenu),
    table::internal(kSaveBankButton,  1, nullptr, L::kUntouched, D::kUntouched, V::kFinite, 0, W::kEditor, S::kScalar, &EngineState::saveBankButton, 0, B::kStore, 38064, kNotRestored, C::kSaveBankButton),
    table::internal(kFlood,           1, "flood", L::kEmpty, D::kOnOff, V::kFinite, 0, W::kEditorAutomated, S::kScalar, &EngineState::flood, 0, B::kFlood, 38068, 45, C::kFloodButton),
    table::internal(kMainMenuValue,   1, nullptr, L::kUntouched, D::kUntouched, V::kFinite, 0, W::kEditor, S::kNowhere, nullptr, 0, B::kNone, kNoChunkOffset, kNotRestored, C::kMainMenu),
    table::internal(kDelayRange,      1, nullptr, L::kUntouched, D::kUntouched, V::kMenu, 4, W::kEditor, S::kOption, nullptr, kOptDelayRange, B::kDelayRange, kNoChunkOffset, 1, C::kDelayRangeMenu),
    table::internal(kKeyMapping,      1, nullptr, L::kUntouched, D::kUntouched, V::kMenu, 7, W::kEditor, S::kOption, nullptr, kOptKeyMapping, B::kKeyMapping, kNoChunkOffset, 2, C::kKeyMappingMenu),
    table::internal(kResetAction,     1, nullptr, L::kUntouched, D::kUntouched, V::kMenu, 4, W::kEditor, S::kOption, nullptr, kOptResetAction, B::kReset, kNoChunkOffset, kNotRestored, C::kResetMenu),
    table::internal(kMorphAlgorithm,  1, nullptr, L::kUntouched, D::kUntouched, V::kMenu, 3, W::kEditor, S::kOption, nullptr, kOptMorphAlgorithm, B::kStore, kNoChunkOffset, 3, C::kMorphAlgorithmMenu),
    // clang-format on
};

}  // namespace table

inline constexpr const auto& kParameterTable = table::kRows;
inline constexpr size_t kParameterRows = std::size(kParameterTable);

// One more than the highest index in the table: the size of every per-index array.
inline constexpr int32_t kIndexCount =
    kParameterTable[kParameterRows - 1].first + kParameterTable[kParameterRows - 1].count;

namespace table {

constexpr std::array<int16_t, kIndexCount> rowOfIndex() {
  std::array<int16_t, kIndexCount> rows{};
  for (auto& r : rows) r = -1;
  for (size_t i = 0; i < kParameterRows; ++i) {
    for (int32_t k = 0; k < kParameterTable[i].count; ++k) rows[kParameterTable[i].first + k] = static_cast<int16_t>(i);
  }
  return rows;
}

constexpr bool wellFormed() {
  for (size_t i = 0; i < kParameterRows; ++i) {
    const ParameterInfo& p = kParameterTable[i];
    if (p.count < 1) return false;
    if (i > 0 && p.first < kParameterTable[i - 1].first + kParameterTable[i - 1].count) return false;
    if ((p.stored == Stored::kScalar) != (p.scalar != nullptr)) return false;
    if (p.stored == Stored::kOption && (p.optionSlot < 0 || p.optionSlot >= kOptionCount)) return false;
    if ((p.range == ValueRange::kMenu) != (p.menuSize > 0)) return false;
    // Host parameters are exactly the indices below kHostParamCount.
    if ((p.writer == Writer::kHostAndEditor) != (p.first < kHostParamCount)) return false;
    if (p.writer == Writer::kHostAndEditor && (p.thread != ApplyThread::kAny || p.range != ValueRange::kUnit)) {
      return false;
    }
  }
  return true;
}

constexpr bool coversHostParameters() {
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    if (rowOfIndex()[i] < 0) return false;
  }
  return true;
}

}  // namespace table

static_assert(table::wellFormed(), "parameter table rows overlap or contradict themselves");
static_assert(table::coversHostParameters(), "every host parameter needs a row");
static_assert(kIndexCount == kMorphAlgorithm + 1, "the highest index is the morph algorithm");

inline constexpr std::array<int16_t, kIndexCount> kRowOfIndex = table::rowOfIndex();

// The row of an index, or nullptr for an index the table does not list.
constexpr const ParameterInfo* parameterInfo(int32_t index) {
  if (index < 0 || index >= kIndexCount) return nullptr;
  const int16_t row = kRowOfIndex[static_cast<size_t>(index)];
  return row < 0 ? nullptr : &kParameterTable[row];
}

constexpr bool isHostParameter(int32_t index) { return index >= 0 && index < kHostParamCount; }

// Brings a value that enters from outside into the index's range: host parameters are clamped to 0..1
// (infinities to the nearer end), button states must be finite. False when the value must not change
// anything: NaN anywhere, or a non-finite button state. A value that names no menu entry is admitted;
// the behaviour then leaves the setting alone (menuEntry).
inline bool admitValue(const ParameterInfo& info, float& value) {
  if (value != value) return false;
  switch (info.range) {
    case ValueRange::kUnit: value = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value); return true;
    case ValueRange::kMenu:
      return true;  // an entry outside the menu still runs the behaviour, which leaves the setting alone
    case ValueRange::kFinite: return value - value == 0.0f;  // finite
    case ValueRange::kIgnored: return true;
  }
  return false;
}

// The menu entry a value selects, or -1 when it names none of the menu's entries.
inline int32_t menuEntry(const ParameterInfo& info, float value) {
  if (!(value > -1.0f && value < static_cast<float>(info.menuSize))) return -1;
  const auto entry = static_cast<int32_t>(value);  // truncation toward zero
  return entry >= 0 && entry < info.menuSize ? entry : -1;
}

// Where the value of an index lives in a state (the edit row's field for row parameters), or nullptr
// for indices that store nothing (notifications, the peak level).
template <typename State>  // EngineState or const EngineState
auto storedValueOf(State& s, const ParameterInfo& info, int32_t index) -> decltype(&s.mainLevl) {
  auto& row = s.rows[s.editRow];
  switch (info.stored) {
    case Stored::kScalar: return &(s.*info.scalar);
    case Stored::kOption: return &s.options[info.optionSlot];
    case Stored::kCopyState: return &s.copyState[index - info.first];
    case Stored::kPasteState: return &s.pasteState[index - info.first];
    case Stored::kRow:
      if (index >= kDelay01 && index <= kDelay32) return &row.delayValue[index - kDelay01];
      if (index == kUnitDura) return &row.unitDura;
      if (index == kRelease) return &row.release;
      return &row.envelope;
    case Stored::kNowhere:
    case Stored::kPeak: return nullptr;
  }
  return nullptr;
}

// The value getParameter reads for an index from a state; 0 for indices that store nothing.
inline float storedParameter(const EngineState& s, int32_t index) {
  const ParameterInfo* info = parameterInfo(index);
  const float* value = info ? storedValueOf(s, *info, index) : nullptr;
  return value ? *value : 0.0f;
}

// The restore step of one index of a row: the members of a group interleave with the next row's
// (copy slot s at base + 2s, paste slot s at base + 1 + 2s).
constexpr int32_t restoreStepOf(const ParameterInfo& info, int32_t index) {
  return info.restoreStep == kNotRestored ? kNotRestored : info.restoreStep + 2 * (index - info.first);
}

// The indices a session restore writes through setParameter, in the order it writes them.
namespace table {

constexpr int32_t restoredIndexCount() {
  int32_t n = 0;
  for (const ParameterInfo& info : kParameterTable) n += info.restoreStep == kNotRestored ? 0 : info.count;
  return n;
}

constexpr std::array<int32_t, restoredIndexCount()> restoreSequence() {
  std::array<int32_t, restoredIndexCount()> indices{};
  size_t n = 0;
  for (const ParameterInfo& info : kParameterTable) {
    if (info.restoreStep == kNotRestored) continue;
    for (int32_t k = 0; k < info.count; ++k) indices[n++] = info.first + k;
  }
  // Insertion sort by step; steps are unique.
  for (size_t i = 1; i < n; ++i) {
    for (size_t j = i; j > 0; --j) {
      const int32_t a = restoreStepOf(*parameterInfo(indices[j - 1]), indices[j - 1]);
      const int32_t b = restoreStepOf(*parameterInfo(indices[j]), indices[j]);
      if (a <= b) break;
      const int32_t t = indices[j];
      indices[j] = indices[j - 1];
      indices[j - 1] = t;
    }
  }
  return indices;
}

}  // namespace table

inline constexpr auto kRestoreSequence = table::restoreSequence();

}  // namespace tarnwick
