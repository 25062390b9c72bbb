// The words of an engine state that are derived from others, and deriving them again on a state from
// what it holds.
//
// The user-interface side's model and the playing engine may hold different parameter values for a
// moment: the host automates a parameter on the audio thread while the user edits another one. A change
// handed from one side to the other therefore carries the parameters, options and bookkeeping words it
// wrote, and only names the derived values it touched (delay times, grain lengths, the delay unit, the
// main gain, the edit row's grain length); the side that takes it derives those from its own parameters
// and context (docs/threads.md).
#pragma once

#include <cstdint>

#include "engine/EngineState.h"

namespace tarnwick {

// The main level's gain.
inline float mainGainOf(float level) { return level * level * 2.0f; }

// The delay unit of the state's delay range at its rate and tempo; the state's own unit when the
// option names no range.
float delayUnitOf(const EngineState& s);

// What a change obliges the side that takes it to derive again: per row its delays (the values the
// range admits, and their times) and its grain length, and the derived scalars.
struct Derivations {
  static constexpr int32_t kRowWords = (kRowCount + 31) / 32;
  static constexpr int32_t kWords = 2 * kRowWords + 1;  // delay rows, length rows, scalars
  enum Scalar : uint32_t { kDelayUnit = 1u, kMainGain = 2u, kEditRowLength = 4u };

  uint32_t words[kWords] = {};

  void addDelays(int32_t row) { words[row >> 5] |= 1u << (row & 31); }
  void addLength(int32_t row) { words[kRowWords + (row >> 5)] |= 1u << (row & 31); }
  void addScalar(Scalar scalar) { words[kWords - 1] |= scalar; }
  bool delays(int32_t row) const { return (words[row >> 5] >> (row & 31)) & 1u; }
  bool length(int32_t row) const { return (words[kRowWords + (row >> 5)] >> (row & 31)) & 1u; }
  bool scalar(Scalar scalar) const { return (words[kWords - 1] & scalar) != 0; }
  bool empty() const {
    for (uint32_t w : words) {
      if (w != 0) return false;
    }
    return true;
  }
};

// [ui-thread] Sorts the words that changed from before to now (changed: their word indices, count of
// them, in increasing order). Parameters, options and bookkeeping words travel as values. A derived word
// travels as a derivation in needs when deriving it from now gives now's word; so does a delay value
// that only the range's admission changed. Any other derived word travels as a value (a grain length
// that silencing cleared and no row derivation has set again). Whatever now's parameters or context
// changed also names the derived values that depend on them, so that the taking side derives them from
// its own values. Returns how many value indices are left, in order, at the front of changed.
uint32_t sortChanges(const EngineState& before, const EngineState& now, uint32_t* changed, uint32_t count,
                     Derivations& needs);

// [audio-thread] Derives again what needs names, from what s holds. Neither allocates nor waits.
void deriveAgain(EngineState& s, const Derivations& needs);

}  // namespace tarnwick
