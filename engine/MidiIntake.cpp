// MIDI intake: note-on, note-off and the two all-grains-off controllers turned into key state.
#include <algorithm>

#include "engine/Engine.h"

namespace tarnwick {

namespace {

void cutAllGrains(Voice* voices) {
  for (int32_t k = 0; k < kRowCount; ++k) {
    for (int32_t& c : voices[k].schedule.countdown) c = -1;
  }
}

}  // namespace

void Engine::processMidi(const MidiMessage* messages, int32_t count) {
  if (!voices_) return;
  followSilenceRequests();
  if (s_->buffer.frameCount == 0) return;  // no recording: every event of the call is dropped
  for (int32_t i = 0; i < count; ++i) handleMessage(messages[i]);
}

void Engine::handleMessage(const MidiMessage& m) {
  const uint8_t status = m.status & 0xF0;  // every channel is accepted
  const int32_t data1 = m.data1 & 0x7F;
  const int32_t data2 = m.data2 & 0x7F;
  if (status == 0x90 && data2 != 0) {
    noteOn(data1, data2, std::max<int32_t>(0, m.deltaFrames));
  } else if (status == 0x80 || status == 0x90) {
    noteOff(data1);
  } else if (status == 0xB0 && (data1 == 123 || data1 == 126)) {
    cutAllGrains(voices_.get());
  }
}

void Engine::selectPlayRow(int32_t key) {
  EngineState& s = *s_;
  const int32_t row = s.masterEditMode() ? kMasterRow : key;
  s.editRow = row;
  s.playRow = row;
}

void Engine::noteOn(int32_t key, int32_t velocity, int32_t offset) {
  EngineState& s = *s_;
  if (key < s.lowKey || key > s.highKey) return;
  if (s.morph != 0.0f) {  // the morph is monophonic
    cutAllGrains(voices_.get());
    for (int32_t k = 0; k < kRowCount; ++k) voices_[k].keyState = kIdle;
  }
  selectPlayRow(key);
  s.lastSelectedKey = key;
  Voice& v = voices_[key];
  v.velocity = velocity;
  const KeyRow& row = s.rows[s.playRow];
  s.keySplitStart =
      row.unitDura != 1.0f ? static_cast<float>((s.buffer.frameCount / s.keyCount) * (key - s.lowKey)) : 0.0f;
  s.editRowGrainLength = static_cast<float>(row.grainLength);
  v.keyState = kHeld;
  v.amplitude = static_cast<float>(velocity) / 127.0f;
  v.releaseStep = 0.0f;
  noteStart(key, offset);
}

void Engine::noteOff(int32_t key) {
  EngineState& s = *s_;
  selectPlayRow(key);  // before the range test: an unmapped key still moves the edit row
  if (key < s.lowKey || key > s.highKey) return;
  Voice& v = voices_[key];
  const float r = s.rows[s.playRow].release;
  float step = r == 1.0f ? v.amplitude / s.sampleRate * 220.0f : v.amplitude / s.sampleRate * r * 6.0f;
  // A negative release would make the key grow louder without end; it holds the level instead.
  if (!(step > 0.0f)) step = 0.0f;
  v.releaseStep = step;
  if (v.keyState == kHeld) v.keyState = kReleased;
}

}  // namespace tarnwick
