// The instrument instance: construction, the thread hand-over around the engine, MIDI intake,
// render, resume and the parameter entries.
#include "plugin/aPlug.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Flood.h"
#include "engine/ParameterText.h"
#include "plugin/EditorLink.h"
#include "plugin/Identity.h"
#include "storage/ChunkRecord.h"

namespace tarnwick {

namespace {

thread_local bool tlsAudioThread = false;

intptr_t VSTCALLBACK dispatchEntry(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  aPlug* plug = aPlug::fromEffect(e);
  if (!plug) return 0;
  if (opcode == effClose) {
    plug->dispatcher(opcode, index, value, ptr, opt);
    delete plug;
    return 1;
  }
  return plug->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processEntry(AEffect*, float**, float**, int32_t) {}
void VSTCALLBACK processDoubleEntry(AEffect*, double**, double**, int32_t) {}

void VSTCALLBACK setParameterEntry(AEffect* e, int32_t index, float value) {
  if (aPlug* plug = aPlug::fromEffect(e)) plug->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* e, int32_t index) {
  aPlug* plug = aPlug::fromEffect(e);
  return plug ? plug->getParameter(index) : 0.0f;
}

void VSTCALLBACK processReplacingEntry(AEffect* e, float** inputs, float** outputs, int32_t frames) {
  if (aPlug* plug = aPlug::fromEffect(e)) plug->processReplacing(inputs, outputs, frames);
}

}  // namespace

aPlug::aPlug(audioMasterCallback host) : chunk_(std::make_unique<uint8_t[]>(kChunkSize)), host_(host), engine_(this) {
  effect_.magic = kEffectMagic;
  effect_.dispatcher = dispatchEntry;
  effect_.process = processEntry;
  effect_.setParameter = setParameterEntry;
  effect_.getParameter = getParameterEntry;
  effect_.numPrograms = 1;
  effect_.numParams = kHostParamCount;
  effect_.numInputs = 2;
  effect_.numOutputs = 2;
  effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks | effFlagsIsSynth;
  effect_.initialDelay = 0;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = kUniqueId;
  effect_.version = kEffectVersion;
  effect_.processReplacing = processReplacingEntry;
  effect_.processDoubleReplacing = processDoubleEntry;
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    refreshMirror();
  }
  recentFiles_.read();
  editorLink_ = std::make_unique<EditorLink>(*this);
  setEditor(&editorLink_->editor());
  effect_.flags |= effFlagsHasEditor;
  resume();
}

aPlug::~aPlug() {
  if (editorLink_) {
    setEditor(nullptr);  // no more echoes into an editor that is going away
    editorLink_.reset();
  }
  effect_.object = nullptr;
}

intptr_t aPlug::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  return host_ ? host_(&effect_, opcode, index, value, ptr, opt) : 0;
}

bool aPlug::onAudioThread() { return tlsAudioThread; }
void aPlug::markAudioThread() { tlsAudioThread = true; }

void aPlug::setEditor(EditorSink* editor) {
  std::lock_guard<std::mutex> uiGuard(uiLock_);
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  editor_ = editor;
  engine_.setEditor(editor);
}

bool aPlug::readTempo(int32_t requestMask, double& bpm) {
  const auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, requestMask, nullptr, 0.0f));
  if (!info) return false;
  if (!std::isfinite(info->tempo) || info->tempo <= 0.0) return false;
  bpm = info->tempo;
  return true;
}

void aPlug::refreshMirror() {
  for (int32_t i = 0; i < kHostParamCount; ++i) {
    mirror_[i].store(engine_.getParameter(i), std::memory_order_relaxed);
  }
  if (editorLink_) editorLink_->publish(engine_.state());
}

void aPlug::applyQueuedParams() {
  ParamWrite w;
  while (paramQueue_.pop(w)) engine_.setParameter(w.index, w.value);
}

void aPlug::freeDiscarded() {
  ChannelPair pile[3];
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    engine_.takeDiscarded(pile);
  }
  // pile is destroyed here, outside the engine lock
}

void aPlug::setParameter(int32_t index, float value) {
  if (onAudioThread()) {
    // Host automation on the audio thread never waits for the lock: host parameters are queued
    // for the next block, the editor's internal indices have no business here and are dropped.
    if (std::isnan(value)) return;
    std::unique_lock<std::mutex> engineGuard(engineLock_, std::try_to_lock);
    if (!engineGuard.owns_lock()) {
      const bool hostParam = index >= 0 && index < kHostParamCount;
      if (hostParam && paramQueue_.push({index, value})) mirror_[index].store(value, std::memory_order_relaxed);
      return;
    }
    applyQueuedParams();
    engine_.setParameter(index, value);
    refreshMirror();
    return;
  }
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    if (index == kFlood && value != 0.0f && !std::isnan(value)) {
      floodOn(value);
    } else {
      std::lock_guard<std::mutex> engineGuard(engineLock_);
      engine_.setParameter(index, value);
      refreshMirror();
    }
  }
  freeDiscarded();
}

void aPlug::floodOn(float value) {
  // The flooded arrays are built outside the engine lock, then offered to the engine, which takes
  // them only when nothing they depend on changed in between.
  FloodPlan plan;
  bool planned;
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    planned = !engine_.state().buffer.floodOn() && engine_.planFlood(plan);
  }
  ChannelPair arrays;
  if (planned) arrays = buildFlood(plan);  // the stored arrays only change under uiLock_
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  if (!arrays.empty()) engine_.offerFlood(std::move(arrays), plan);
  engine_.setParameter(kFlood, value);
  refreshMirror();
}

float aPlug::getParameter(int32_t index) {
  if (onAudioThread()) {
    std::unique_lock<std::mutex> engineGuard(engineLock_, std::try_to_lock);
    if (!engineGuard.owns_lock()) {
      if (index == kPeakLevel) return engine_.readPeakLevel();
      return (index >= 0 && index < kHostParamCount) ? mirror_[index].load(std::memory_order_relaxed) : 0.0f;
    }
    return engine_.getParameter(index);
  }
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  return engine_.getParameter(index);
}

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
  std::unique_lock<std::mutex> engineGuard(engineLock_, std::try_to_lock);
  if (!engineGuard.owns_lock()) {
    // The state is being replaced: a silent block, and the queued notes wait for the next one.
    std::memset(outL, 0, sizeof(float) * static_cast<size_t>(frames));
    std::memset(outR, 0, sizeof(float) * static_cast<size_t>(frames));
    midiQueue_.forEachQueued(
        [frames](MidiMessage& m) { m.deltaFrames = m.deltaFrames > frames ? m.deltaFrames - frames : 0; });
    return;
  }
  applyQueuedParams();
  int32_t count = 0;
  while (count < static_cast<int32_t>(kMidiQueueCapacity) && midiQueue_.pop(midiScratch_[count])) ++count;
  engine_.processMidi(midiScratch_, count);
  engine_.render(outL, outR, frames);
  refreshMirror();
}

void aPlug::resume() {
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    engine_.resume(hostSampleRate_);
    refreshMirror();
  }
  callHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
}

void aPlug::getParameterName(int32_t index, char* text) {
  if (text) parameterName(index, text);
}

void aPlug::getParameterLabel(int32_t index, char* text) {
  if (!text) return;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  parameterLabel(engine_, index, text);
}

void aPlug::getParameterDisplay(int32_t index, char* text) {
  if (!text) return;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  parameterDisplay(engine_, index, text);
}

void aPlug::getProgramName(char* text) {
  if (!text) return;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  const ProgramRecord& p = engine_.state().program;
  char name[sizeof p.name + 1] = {};
  std::memcpy(name, p.name, sizeof p.name);
  if (std::strcmp(name, "Init") == 0) {
    char numbered[64];
    std::snprintf(numbered, sizeof numbered, "%s %d", name, static_cast<int>(engine_.state().currentProgram + 1));
    copyText(text, numbered, kVstMaxProgNameLen);
  } else {
    copyText(text, name, kVstMaxProgNameLen);
  }
}

void aPlug::setProgramName(const char* text) {
  if (!text) return;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  copyText(engine_.state().program.name, text, sizeof engine_.state().program.name);
}

bool aPlug::getProgramNameIndexed(int32_t index, char* text) {
  if (index != 0 || !text) return false;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  const ProgramRecord& p = engine_.state().program;
  char name[sizeof p.name + 1] = {};
  std::memcpy(name, p.name, sizeof p.name);
  copyText(text, name, kVstMaxProgNameLen);
  return true;
}

}  // namespace tarnwick
