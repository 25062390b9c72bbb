// Shipping state changes to the audio side and taking its published state back.
#include "core/StateHandoff.h"

#include <cstring>

namespace tarnwick {

namespace {

inline uint32_t wordAt(const EngineState& s, size_t index) {
  uint32_t w;
  std::memcpy(&w, reinterpret_cast<const unsigned char*>(&s) + index * sizeof w, sizeof w);
  return w;
}

inline void setWord(EngineState& s, size_t index, uint32_t w) {
  std::memcpy(reinterpret_cast<unsigned char*>(&s) + index * sizeof w, &w, sizeof w);
}

}  // namespace

StateHandoff::StateHandoff()
    : ring_(std::make_unique<Word[]>(kRingWords)), changed_(std::make_unique<uint32_t[]>(kStateWords)) {
  static_assert((kRingWords & (kRingWords - 1)) == 0, "the ring's size is a power of two");
}

StateHandoff::~StateHandoff() = default;

uint32_t StateHandoff::ship(const EngineState& before, const EngineState& now) {
  // Equal stretches are skipped a cache line at a time; only the words in differing lines are compared.
  constexpr size_t kLineWords = 16;
  const auto* a = reinterpret_cast<const unsigned char*>(&before);
  const auto* b = reinterpret_cast<const unsigned char*>(&now);
  uint32_t count = 0;
  for (size_t line = 0; line < kStateWords; line += kLineWords) {
    const size_t words = line + kLineWords <= kStateWords ? kLineWords : kStateWords - line;
    if (std::memcmp(a + line * 4, b + line * 4, words * 4) == 0) continue;
    for (size_t i = line; i < line + words; ++i) {
      if (wordAt(before, i) != wordAt(now, i)) changed_[count++] = static_cast<uint32_t>(i);
    }
  }
  if (count == 0) return shipped_;
  // Derived words travel as the derivations that give them, which the audio side runs on its own values.
  const uint32_t values = sortChanges(before, now, changed_.get(), count, needs_);
  uint32_t derivationWords = 0;
  for (uint32_t w : needs_.words) derivationWords += w != 0 ? 1 : 0;
  const uint32_t number = shipped_ + 1;
  if (values + derivationWords > kMaxBatchWords || !pushBatch(number, now, values, derivationWords)) {
    Shipment& whole = whole_.back();
    whole.number = number;
    whole.state = now;
    whole_.publish();
  }
  shipped_ = number;
  return number;
}

bool StateHandoff::pushBatch(uint32_t number, const EngineState& now, uint32_t values, uint32_t derivationWords) {
  const uint64_t tail = tail_.load(std::memory_order_relaxed);
  const uint64_t head = head_.load(std::memory_order_acquire);
  const uint64_t end = tail + 1 + values + derivationWords;
  if (end - head > kRingWords) return false;
  constexpr uint64_t kMask = kRingWords - 1;
  ring_[tail & kMask] = {kBatchHeader, number};
  uint64_t at = tail + 1;
  for (uint32_t k = 0; k < values; ++k) {
    const uint32_t index = changed_[k];
    ring_[at++ & kMask] = {index, wordAt(now, index)};
  }
  for (int32_t k = 0; k < Derivations::kWords; ++k) {
    if (needs_.words[k] != 0) ring_[at++ & kMask] = {kDerivationWord + static_cast<uint32_t>(k), needs_.words[k]};
  }
  // One release for the whole batch: the audio side sees all of it or none.
  tail_.store(end, std::memory_order_release);
  return true;
}

bool StateHandoff::receive(EngineState& live) {
  bool changed = false;
  // A batch numbered past a gap follows a whole state shipped before it; the second round takes that
  // state, which is visible once the batch is.
  for (int round = 0; round < 2; ++round) {
    if (whole_.take() && newer(whole_.front().number, applied_)) {
      live = whole_.front().state;
      applied_ = whole_.front().number;
      changed = true;
    }
    const uint32_t before = applied_;
    const bool blocked = applyBatches(live);
    changed = changed || applied_ != before;
    if (!blocked) break;
  }
  return changed;
}

bool StateHandoff::applyBatches(EngineState& live) {
  constexpr uint64_t kMask = kRingWords - 1;
  uint64_t head = head_.load(std::memory_order_relaxed);
  const uint64_t tail = tail_.load(std::memory_order_acquire);
  bool blocked = false;
  while (head < tail) {
    const uint32_t number = ring_[head & kMask].bits;
    uint64_t end = head + 1;
    while (end < tail && ring_[end & kMask].index != kBatchHeader) ++end;
    if (newer(number, applied_)) {
      if (number != applied_ + 1) {
        blocked = true;
        break;
      }
      Derivations needs;
      for (uint64_t k = head + 1; k < end; ++k) {
        const Word& w = ring_[k & kMask];
        if (w.index < kStateWords) {
          setWord(live, w.index, w.bits);
        } else if (w.index - kDerivationWord < static_cast<uint32_t>(Derivations::kWords)) {
          needs.words[w.index - kDerivationWord] = w.bits;
        }
      }
      // After the batch's values: what it names is derived from the playing engine's own values.
      if (!needs.empty()) deriveAgain(live, needs);
      applied_ = number;
    }  // else superseded by a whole state already taken
    head = end;
  }
  head_.store(head, std::memory_order_release);
  return blocked;
}

void StateHandoff::publish(const EngineState& live) {
  Snapshot& s = snapshots_.back();
  s.acknowledged = applied_;
  s.state = live;
  snapshots_.publish();
  acknowledged_.store(applied_, std::memory_order_release);
}

bool StateHandoff::rebase(EngineState& model) {
  if (snapshots_.take()) snapshotUnused_ = true;
  if (!snapshotUnused_ || snapshots_.front().acknowledged != shipped_) return false;
  model = snapshots_.front().state;
  snapshotUnused_ = false;
  return true;
}

}  // namespace tarnwick
