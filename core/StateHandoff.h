// How engine states change hands between the user-interface side and the audio side, lock-free.
//
// The user-interface side edits its own model of the state and ships what an operation changed: the
// changed 4-byte words of the state as one batch through a ring, or, when the batch is large (a session
// that brings new rows), a complete copy through a triple buffer. A batch carries the parameters,
// options and bookkeeping words it changed as values, and only names the derived values it changed
// (delay times, grain lengths, the delay unit, the gain, the edit row's grain length): the audio side
// derives those again from its own values once it has applied the batch, so that a parameter the host
// automated there in the meantime keeps its value and what follows from it (engine/StateDerivation.h).
// Either way a shipment is applied by the audio side at the start of a block, all of it or nothing, in
// the order shipped. The audio side publishes its own state (with the number of the last shipment it
// applied) after every block that changed it, and the user-interface side takes that state over once it
// includes everything shipped.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/TripleBuffer.h"
#include "engine/EngineState.h"
#include "engine/StateDerivation.h"

namespace tarnwick {

class StateHandoff {
 public:
  // A batch larger than this (values and derivations) travels as a whole state.
  static constexpr uint32_t kMaxBatchWords = 2048;
  static constexpr uint32_t kRingWords = 8192;  // power of two

  StateHandoff();
  ~StateHandoff();
  StateHandoff(const StateHandoff&) = delete;
  StateHandoff& operator=(const StateHandoff&) = delete;

  // [ui-thread] Ships what changed from before to now; returns the shipment's number, or the last
  // shipment's number when nothing changed.
  uint32_t ship(const EngineState& before, const EngineState& now);
  uint32_t shipped() const { return shipped_; }
  // [ui-thread] Takes the audio side's newest published state into model when it includes every
  // shipment; false (model untouched) otherwise.
  bool rebase(EngineState& model);
  // [ui-thread] Number of the last shipment the audio side has applied, as it last published.
  uint32_t acknowledged() const { return acknowledged_.load(std::memory_order_acquire); }

  // [audio-thread] Applies every complete shipment not applied yet, each batch followed by the
  // derivations it names; true when the state changed.
  bool receive(EngineState& live);
  // [audio-thread] Publishes live for the user-interface side.
  void publish(const EngineState& live);

 private:
  struct Word {
    uint32_t index;  // word index in the state, kBatchHeader, or kDerivationWord + a word of Derivations
    uint32_t bits;   // the word's new value, the batch's shipment number, or the Derivations word
  };
  struct Shipment {
    uint32_t number = 0;
    EngineState state;
  };
  struct Snapshot {
    uint32_t acknowledged = 0;
    EngineState state;
  };
  static constexpr uint32_t kBatchHeader = 0xFFFFFFFFu;
  static constexpr uint32_t kDerivationWord = 0xFFFFFF00u;
  static constexpr size_t kStateWords = sizeof(EngineState) / sizeof(uint32_t);
  static_assert(kStateWords < kDerivationWord, "word indices and derivations are told apart");
  static_assert(sizeof(EngineState) % sizeof(uint32_t) == 0, "the state is shipped word by word");

  // Newer than, for shipment numbers that wrap around.
  static bool newer(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }
  // Pushes the values (the first changed_ indices) and the nonzero words of needs_.
  bool pushBatch(uint32_t number, const EngineState& now, uint32_t values, uint32_t derivationWords);
  bool applyBatches(EngineState& live);

  // User-interface side to audio side.
  std::unique_ptr<Word[]> ring_;
  std::atomic<uint64_t> head_{0};  // consumer position (audio side)
  std::atomic<uint64_t> tail_{0};  // producer position (user-interface side)
  TripleBuffer<Shipment> whole_;
  uint32_t shipped_ = 0;                 // [ui-thread]
  std::unique_ptr<uint32_t[]> changed_;  // [ui-thread] scratch: indices of the changed words, then of the values
  Derivations needs_;                    // [ui-thread] scratch: the derivations of the batch being shipped
  // Audio side to user-interface side.
  TripleBuffer<Snapshot> snapshots_;
  bool snapshotUnused_ = false;  // [ui-thread] the snapshot last taken has not been taken over yet
  uint32_t applied_ = 0;         // [audio-thread] the last shipment applied
  std::atomic<uint32_t> acknowledged_{0};
};

}  // namespace tarnwick
