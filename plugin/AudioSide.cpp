// The audio side: MIDI intake into a ring, the render, and the hand-over around every block.
#include <cstring>

#include "plugin/aPlug.h"

namespace tarnwick {

int32_t aPlug::processEvents(const VstEvents* events) {
  markAudioThread();
  if (!events) return 1;
  // The list is declared with two entries but holds numEvents of them.
  VstEvent* const* list = events->events;
  for (int32_t i = 0; i < events->numEvents; ++i) {
    const VstEvent* e = list[i];
    if (!e || e->type != kVstMidiType) continue;
    const auto* m = reinterpret_cast<const VstMidiEvent*>(e);
    MidiMessage msg;
    msg.deltaFrames = m->deltaFrames;
    msg.status = static_cast<uint8_t>(m->midiData[0]);
    msg.data1 = static_cast<uint8_t>(m->midiData[1]);
    msg.data2 = static_cast<uint8_t>(m->midiData[2]);
    if (!midiQueue_.push(msg)) break;  // the queue is full: the rest of this list is dropped
  }
  return 1;
}

void aPlug::processReplacing(float** /*inputs*/, float** outputs, int32_t frames) {
  markAudioThread();
  if (!outputs || !outputs[0] || !outputs[1] || frames <= 0) return;
  float* outL = outputs[0];
  float* outR = outputs[1];
  if (!audioPresence_.enter()) {
    // Another audio-side call is inside the playing engine: the host called from two threads at once.
    std::memset(outL, 0, sizeof(float) * static_cast<size_t>(frames));
    std::memset(outR, 0, sizeof(float) * static_cast<size_t>(frames));
    lostBlocks_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  takeShippedState();
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
  if (s.tempo != tempo || s.delayUnit != delayUnit) liveChanged_ = true;  // the quantized range follows the host
  publishPlayingState();
  audioPresence_.leave();
}

int32_t aPlug::takeAuditionedNotes(MidiMessage* out, int32_t capacity) {
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

void aPlug::takeShippedState() {
  if (handoff_.receive(live_.state())) liveChanged_ = true;
}

void aPlug::publishPlayingState() {
  if (!liveChanged_) return;
  liveChanged_ = false;
  handoff_.publish(live_.state());
  mirror_.publishAll(live_.state());
}

}  // namespace tarnwick
