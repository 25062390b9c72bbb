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
    if (!midiQueue_.push(msg)) droppedEvents_.fetch_add(1, std::memory_order_relaxed);
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
  int32_t count = 0;
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
