// Engine construction, host start-up, silencing and the parameter entry points.
#include "engine/Engine.h"

#include <cmath>

#include "engine/Numeric.h"
#include "engine/ParameterText.h"
#include "engine/StateDerivation.h"

namespace tarnwick {

Engine::Engine(HostTime* hostTime, Role role) : s_(std::make_unique<EngineState>()), hostTime_(hostTime) {
  EngineState& s = *s_;
  for (KeyRow& row : s.rows) {
    for (int g = 0; g < kGrainCount; ++g) row.delayValue[g] = row.delayTime[g] = 0.8f;
  }
  for (auto& slot : s.copyBuffer) {
    for (float& v : slot) v = 0.25f;
  }
  if (role == Role::kPlays) {
    voices_ = std::make_unique<Voice[]>(kRowCount);
    morph_ = std::make_unique<MorphState>();
  }
  s.program = factoryProgram();
  silenceAll();
  applyOptions();
  loadProgram(0);
  selectKey(s.editRow);
  resetCopyBuffer();
  toggleEditMode();
}

Engine::~Engine() = default;

RowContext Engine::rowContext() const { return rowContextOf(*s_); }

void Engine::resume(float hostSampleRate) {
  EngineState& s = *s_;
  if (std::isfinite(hostSampleRate) && hostSampleRate > 0.0f) s.sampleRate = hostSampleRate;
  double bpm = 0.0;
  if (hostTime_ && hostTime_->readTempo(kTimeMaskResume, bpm) && std::isfinite(bpm) && bpm > 0.0) {
    s.tempo = bpm;
  }
  // The unit must follow the new rate; otherwise the millisecond ranges keep the old rate's unit.
  refreshDelayUnit();
  silenceAll();
  reapplyRows();
  setParameter(kEditorRefresh, 1.0f);
  s.engineBusy = false;
}

void Engine::refreshDelayUnit() { s_->delayUnit = delayUnitOf(*s_); }

void Engine::silenceAll() {
  EngineState& s = *s_;
  for (KeyRow& row : s.rows) row.grainLength = 0;
  if (voices_) {
    silenceVoices();
  } else {
    ++s.silenceRequests;  // the engine that plays stops its voices when it takes this state
  }
}

void Engine::followSilenceRequests() {
  if (!voices_ || silencedAt_ == s_->silenceRequests) return;
  silenceVoices();
}

void Engine::silenceVoices() {
  silencedAt_ = s_->silenceRequests;
  for (int k = 0; k < kRowCount; ++k) {
    Voice& v = voices_[k];
    GrainSchedule& gs = v.schedule;
    for (int g = 0; g < kGrainCount; ++g) {
      gs.countdown[g] = -1;
      gs.remaining[g] = 0;
      gs.readPos[g] = 0;
      gs.fadeInLeft[g] = 0;
      gs.fadeLength[g] = kDefaultFadeLength;
    }
    gs.loopCountdown() = -1;
    v.keyState = kIdle;
    v.loopMark = 0;
    v.velocity = 0;
    v.amplitude = 0.0f;
    v.releaseStep = 0.0f;
  }
}

float* Engine::storedValue(const ParameterInfo& info, int32_t index) { return storedValueOf(*s_, info, index); }

float Engine::getParameter(int32_t index) {
  const ParameterInfo* info = parameterInfo(index);
  if (!info) return 0.0f;
  if (info->stored == Stored::kPeak) return readPeakLevel();
  const float* value = storedValue(*info, index);
  return value ? *value : 0.0f;
}

void Engine::setParameter(int32_t index, float v) {
  if (std::isnan(v)) return;  // a NaN changes nothing
  const ParameterInfo* info = parameterInfo(index);
  if (info) {
    if (!admitValue(*info, v)) return;
    write(*info, index, v);
  }
  echo(index, v);  // unlisted indices are only echoed
}

void Engine::write(const ParameterInfo& info, int32_t index, float& v) {
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  switch (info.behaviour) {
    case Behaviour::kNone: break;
    case Behaviour::kStore:
      if (info.range != ValueRange::kMenu || menuEntry(info, v) >= 0) *storedValue(info, index) = v;
      break;
    case Behaviour::kMainLevel:
      s.mainLevl = v;
      s.masterGain = mainGainOf(v);
      break;
    case Behaviour::kGrainLength: v = writeUnitDura(v); break;
    case Behaviour::kRelease: row.release = v; break;
    case Behaviour::kEnvelope: row.envelope = envelopeFloor(v); break;  // the echo keeps the value given
    case Behaviour::kLayoutSwitch: setLayoutSwitch(info.scalar, v); break;
    case Behaviour::kDelay: v = writeDelay(index - kDelay01, v); break;
    case Behaviour::kCopy:
    case Behaviour::kPaste: {
      float& state = *storedValue(info, index);
      if (v == 0.0f && state == 1.0f) {
        if (info.behaviour == Behaviour::kCopy)
          copy(index - info.first);
        else
          paste(index - info.first);
      }
      state = v;
      break;
    }
    case Behaviour::kEditMode: toggleEditMode(); break;
    case Behaviour::kFlood:
      if (flood(v) != 0) v = 0.0f;
      s.flood = v;
      break;
    case Behaviour::kDelayRange: setDelayRange(v); break;
    case Behaviour::kKeyMapping: setKeyMapping(v); break;
    case Behaviour::kReset: runReset(v); break;
  }
}

void Engine::echoEditRow() {
  if (!editor_) return;
  const KeyRow& row = s_->rows[s_->editRow];
  for (int i = 0; i < kGrainCount; ++i) echo(kDelay01 + i, row.delayValue[i]);
  // The editor shows the grain length's step.
  echo(kUnitDura, static_cast<float>(truncToInt(8.0f * row.unitDura)) / 8.0f);
  echo(kRelease, row.release);
  echo(kEnvelope, row.envelope);
}

namespace {

// True when some sample is NaN or beyond the limit: one read of the array, which vectorises (both
// comparisons always evaluated, the outcomes folded into an integer).
bool anyUnplayable(const float* samples, int32_t count) {
  int32_t outside = 0;
  for (int32_t i = 0; i < count; ++i) {
    const float v = samples[i];
    const int32_t inside = static_cast<int32_t>(v >= -kSampleLimit) & static_cast<int32_t>(v <= kSampleLimit);
    outside |= inside ^ 1;
  }
  return outside != 0;
}

// Samples from a file may be any bit patterns: what the render cannot sum without overflowing (NaN,
// infinities, absurd magnitudes) is brought into range; recordings never come near the limit, so the
// array is only read unless something is out of range.
void keepPlayable(float* samples, int32_t count) {
  if (!anyUnplayable(samples, count)) return;
  for (int32_t i = 0; i < count; ++i) {
    const float v = samples[i];
    if (!(v >= -kSampleLimit && v <= kSampleLimit)) {
      samples[i] = v > 0.0f ? kSampleLimit : (v < 0.0f ? -kSampleLimit : 0.0f);
    }
  }
}

}  // namespace

void keepRecordingPlayable(ChannelPair& arrays) {
  if (arrays.empty()) return;
  keepPlayable(arrays.left.get(), arrays.frameCount + 1);  // with the guard sample
  keepPlayable(arrays.right.get(), arrays.frameCount + 1);
}

void Engine::replaceBuffer(ChannelPair&& fresh, bool playable) {
  EngineState& s = *s_;
  if (!playable) keepRecordingPlayable(fresh);
  if (s.buffer.floodOn()) setParameter(kFlood, 0.0f);
  store_.retire(std::move(store_.stored()));
  store_.stored() = std::move(fresh);
  const ChannelPair& stored = store_.stored();
  BufferView& b = s.buffer;
  b.frameCount = stored.empty() ? 0 : stored.frameCount;
  b.frameCountF = static_cast<float>(b.frameCount);
  b.left = b.storedL = stored.left.get();
  b.right = b.storedR = stored.right.get();
  ++b.generation;
}

void Engine::commitRecording(ChannelPair&& arrays, const char* path, bool playable) {
  EngineState& s = *s_;
  silenceAll();
  if (s.buffer.floodOn()) setParameter(kFlood, 0.0f);
  replaceBuffer(std::move(arrays), playable);
  s.buffer.saved = true;
  if (path) copyText(s.program.audioFileName, path, kPathCapacity);
  reapplyRows();
  setParameter(kEditorRefresh, 1.0f);
}

}  // namespace tarnwick
