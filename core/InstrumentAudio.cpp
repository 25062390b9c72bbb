// The audio side: host parameter changes, the render, and the hand-over around every block.
#include <cstring>

#include "core/Instrument.h"

namespace tarnwick {

void Instrument::automate(int32_t index, float value) {
  // Only host parameters change on this side; the internal indices belong to the editor.
  if (!isHostParameter(index)) {
    droppedWrites_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  if (!audioPresence_.enter()) {
    droppedWrites_.fetch_add(1, std::memory_order_relaxed);  // another audio-side call is inside
    return;
  }
  takeShippedState();
  live_.setParameter(index, value);
  liveChanged_ = true;
  audioPresence_.leave();  // published with the block
}

void Instrument::process(float* outL, float* outR, int32_t frames) {
  if (!outL || !outR || frames <= 0) return;
  if (!audioPresence_.enter()) {
    // Another audio-side call is inside the playing engine: the host called from two threads at once.
    std::memset(outL, 0, sizeof(float) * static_cast<size_t>(frames));
    std::memset(outR, 0, sizeof(float) * static_cast<size_t>(frames));
    lostBlocks_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  takeShippedState();
  // Host parameters posted since the last block, after what the other side shipped before them.
  inbox_.drain(ParameterInbox::kAudioSide, [&](int32_t index, float value) {
    live_.setParameter(index, value);
    liveChanged_ = true;
  });
  // The editor's notes first, then the host's.
  int32_t count = takeAuditionedNotes(midiScratch_, static_cast<int32_t>(kMidiQueueCapacity));
  while (count < static_cast<int32_t>(kMidiQueueCapacity) && midiQueue_.pop(midiScratch_[count])) ++count;
  // Notes move the edit and play rows; the state is published when anything may have changed.
  if (count > 0) liveChanged_ = true;
  live_.processMidi(midiScratch_, count);
  const EngineState& s = live_.state();
  const double tempo = s.tempo;
  const float delayUnit = s.delayUnit;
  live_.render(outL, outR, frames);
  preview_.mix(outL, outR, frames);  // whatever its reader has ready; the instrument plays on regardless
  if (s.tempo != tempo || s.delayUnit != delayUnit) liveChanged_ = true;  // the quantized range follows the host
  publishPlayingState();
  audioPresence_.leave();
}

int32_t Instrument::takeAuditionedNotes(MidiMessage* out, int32_t capacity) {
  // A note-off whose note-on was taken in this same block waits for the next one: a click whose
  // release arrived before the render ran (a stopped host, a late window system) still sounds.
  uint64_t started[2] = {0, 0};
  int32_t count = 0;
  MidiMessage m;
  while (count < capacity && uiNotes_.peek(m)) {
    const uint8_t kind = m.status & 0xF0;
    const uint8_t key = m.data1 & 0x7F;
    const uint64_t bit = uint64_t{1} << (key & 63);
    const bool noteOff = kind == 0x80 || (kind == 0x90 && m.data2 == 0);
    if (noteOff && (started[key >> 6] & bit) != 0) break;
    if (kind == 0x90 && m.data2 != 0) started[key >> 6] |= bit;
    uiNotes_.pop(m);
    m.deltaFrames = 0;
    out[count++] = m;
  }
  return count;
}

void Instrument::takeShippedState() {
  if (handoff_.receive(live_.state())) liveChanged_ = true;
}

void Instrument::publishPlayingState() {
  if (!liveChanged_) return;
  liveChanged_ = false;
  handoff_.publish(live_.state());
  mirror_.publishAll(live_.state());
}

}  // namespace tarnwick
