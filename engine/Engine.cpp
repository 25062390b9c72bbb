// Engine construction, host start-up, silencing and the parameter entry points.
#include "engine/Engine.h"

#include <cmath>
#include <cstring>

#include "engine/Numeric.h"

namespace tarnwick {

bool EngineState::quantized() const { return truncToInt(options[kOptDelayRange]) == kQuantizedRange; }

Engine::Engine(HostTime* hostTime) : s_(std::make_unique<EngineState>()), hostTime_(hostTime) {
  EngineState& s = *s_;
  for (KeyRow& row : s.rows) {
    for (int g = 0; g < kGrainCount; ++g) row.delayValue[g] = row.delayTime[g] = 0.8f;
  }
  for (auto& slot : s.copyBuffer) {
    for (float& v : slot) v = 0.25f;
  }
  morph_ = std::make_unique<MorphState>();
  s.program = factoryProgram();
  silenceAll();
  applyOptions();
  loadProgram(0);
  selectKey(s.editRow);
  resetCopyBuffer();
  toggleEditMode();
}

Engine::~Engine() = default;

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

void Engine::refreshDelayUnit() {
  EngineState& s = *s_;
  switch (truncToInt(s.options[kOptDelayRange])) {
    case 0: s.delayUnit = 0.2f * s.sampleRate; break;
    case 1: s.delayUnit = 0.4f * s.sampleRate; break;
    case 2: s.delayUnit = 1.0f * s.sampleRate; break;
    case 3: s.delayUnit = 60.0f * s.sampleRate / static_cast<float>(s.tempo); break;
    default: break;
  }
}

void Engine::silenceAll() {
  EngineState& s = *s_;
  for (int k = 0; k < kRowCount; ++k) {
    Voice& v = s.voices[k];
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
    s.rows[k].grainLength = 0;
  }
}

float Engine::getParameter(int32_t index) {
  const EngineState& s = *s_;
  const KeyRow& row = s.rows[s.editRow];
  if (isDelayIndex(index)) return row.delayValue[index - kDelay01];
  if (isCopySlot(index)) return s.copyState[index - kCopyFirst];
  if (isPasteSlot(index)) return s.pasteState[index - kPasteFirst];
  switch (index) {
    case kMainLevl: return s.mainLevl;
    case kUnitDura: return row.unitDura;
    case kRelease: return row.release;
    case kEnvelope: return row.envelope;
    case kTrigmode: return s.trigmode;
    case kMove: return s.move;
    case kMorph: return s.morph;
    case kBufstart: return s.bufstart;
    case kEditMode: return s.editMode;
    case kPeakLevel: return readPeakLevel();
    case kLoadAudioButton: return s.loadAudioButton;
    case kBankMenuValue: return s.bankMenuValue;
    case kSaveBankButton: return s.saveBankButton;
    case kFlood: return s.flood;
    case kDelayRange: return s.options[kOptDelayRange];
    case kKeyMapping: return s.options[kOptKeyMapping];
    case kResetAction: return s.options[kOptResetAction];
    case kMorphAlgorithm: return s.options[kOptMorphAlgorithm];
    default: return 0.0f;
  }
}

void Engine::setParameter(int32_t index, float v) {
  if (std::isnan(v)) return;  // a NaN changes nothing
  EngineState& s = *s_;
  KeyRow& row = s.rows[s.editRow];
  if (isDelayIndex(index)) {
    v = writeDelay(index - kDelay01, v);
  } else if (isCopySlot(index)) {
    float& state = s.copyState[index - kCopyFirst];
    if (v == 0.0f && state == 1.0f) copy(index - kCopyFirst);
    state = v;
  } else if (isPasteSlot(index)) {
    float& state = s.pasteState[index - kPasteFirst];
    if (v == 0.0f && state == 1.0f) paste(index - kPasteFirst);
    state = v;
  } else {
    switch (index) {
      case kMainLevl:
        s.mainLevl = v;
        s.masterGain = v * v * 2.0f;
        break;
      case kUnitDura: v = writeUnitDura(v); break;
      case kRelease: row.release = v; break;
      case kEnvelope: row.envelope = v < 0.01f ? 0.01f : v; break;
      case kTrigmode:
        s.trigmode = v;
        silenceAll();
        reapplyRows();
        selectKey(s.editRow);
        break;
      case kMove:
      case kMorph:
        silenceAll();
        (index == kMove ? s.move : s.morph) = v;
        reapplyRows();
        selectKey(s.editRow);
        break;
      case kBufstart: s.bufstart = v; break;
      case kEditMode: toggleEditMode(); break;
      case kFlood:
        if (flood(v) != 0) v = 0.0f;
        s.flood = v;
        break;
      case kLoadAudioButton: s.loadAudioButton = v; break;
      case kSaveBankButton: s.saveBankButton = v; break;
      case kMorphAlgorithm: s.options[kOptMorphAlgorithm] = v; break;
      case kDelayRange: setDelayRange(v); break;
      case kKeyMapping: setKeyMapping(v); break;
      case kResetAction: runReset(v); break;
      default: break;  // notifications and editor-only values are only echoed
    }
  }
  echo(index, v);
}

void Engine::discard(ChannelPair&& arrays) {
  if (arrays.empty() && !arrays.left && !arrays.right) return;
  for (ChannelPair& slot : discarded_) {
    if (!slot.left && !slot.right) {
      slot = std::move(arrays);
      return;
    }
  }
  ChannelPair dropped = std::move(arrays);  // pile full: free here rather than leak
}

void Engine::takeDiscarded(ChannelPair out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = std::move(discarded_[i]);
}

void Engine::replaceBuffer(ChannelPair&& fresh) {
  EngineState& s = *s_;
  AudioBuffer& b = s.buffer;
  if (b.floodOn()) setParameter(kFlood, 0.0f);
  discard(std::move(b.stored));
  b.stored = std::move(fresh);
  b.frameCount = b.stored.empty() ? 0 : b.stored.frameCount;
  b.frameCountF = static_cast<float>(b.frameCount);
  b.left = b.stored.left.get();
  b.right = b.stored.right.get();
  ++b.generation;
}

}  // namespace tarnwick
