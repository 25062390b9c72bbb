// The instrument instance: construction, the effect record's entries, the user-interface side's
// operations (parameters, resume, texts, program name) and its bracket around the model.
#include "plugin/aPlug.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "plugin/EditorLink.h"
#include "plugin/Identity.h"

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

aPlug::aPlug(audioMasterCallback host)
    : host_(host),
      chunk_(std::make_unique<uint8_t[]>(kChunkSize)),
      model_(this, Engine::Role::kModel),
      shippedModel_(std::make_unique<EngineState>()),
      live_(this, Engine::Role::kPlays) {
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
  // Both engines start from the model's factory state; nothing renders yet.
  live_.state() = model_.state();
  *shippedModel_ = model_.state();
  mirror_.publishAll(model_.state());
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
void aPlug::unmarkAudioThread() { tlsAudioThread = false; }

void aPlug::setEditor(EditorSink* editor) {
  // Only called while nothing renders: at construction and destruction.
  std::lock_guard<std::mutex> uiGuard(uiLock_);
  model_.setEditor(editor);
  live_.setEditor(editor);
}

bool aPlug::readTempo(int32_t requestMask, double& bpm) {
  const auto* info = reinterpret_cast<const VstTimeInfo*>(callHost(audioMasterGetTime, 0, requestMask, nullptr, 0.0f));
  if (!info) return false;
  if (!std::isfinite(info->tempo) || info->tempo <= 0.0) return false;
  bpm = info->tempo;
  return true;
}

void aPlug::beginUiOperation() {
  // The audio side's own changes (notes, automation, tempo) come in once it has applied everything
  // this side shipped; until then the model is the newer of the two.
  if (handoff_.rebase(model_.state())) *shippedModel_ = model_.state();
  reclaimer_.reclaim(handoff_.acknowledged(), audioPresence_);
}

void aPlug::endUiOperation() {
  const uint32_t before = handoff_.shipped();
  const uint32_t shipment = handoff_.ship(*shippedModel_, model_.state());
  if (model_.store().hasRetired()) reclaimer_.add(model_.store().takeRetired(), shipment, audioPresence_.mark());
  if (shipment != before) {
    mirror_.publishChanges(*shippedModel_, model_.state());
    *shippedModel_ = model_.state();
  }
  reclaimer_.reclaim(handoff_.acknowledged(), audioPresence_);
}

Engine& aPlug::modelForTesting() {
  UiScope scope(*this);
  return model_;
}

void aPlug::setParameter(int32_t index, float value) {
  if (onAudioThread()) {
    // Host automation on the rendering thread goes straight into the playing engine; the internal
    // indices belong to the editor on the user-interface side and are dropped here.
    const ParameterInfo* info = parameterInfo(index);
    if ((info && info->thread != ApplyThread::kAny) || !audioPresence_.enter()) {
      droppedWrites_.fetch_add(1, std::memory_order_relaxed);
      return;
    }
    takeShippedState();
    live_.setParameter(index, value);
    liveChanged_ = true;
    publishPlayingState();
    audioPresence_.leave();
    return;
  }
  UiScope scope(*this);
  model_.setParameter(index, value);
}

float aPlug::getParameter(int32_t index) {
  if (index == kPeakLevel) return live_.readPeakLevel();  // an atomic exchange, on any thread
  if (onAudioThread()) return mirror_.read(index);
  UiScope scope(*this);
  return model_.getParameter(index);
}

void aPlug::resume() {
  {
    UiScope scope(*this);
    model_.resume(hostSampleRate_.load(std::memory_order_relaxed));
    followRateChange();
  }
  callHost(audioMasterWantMidi, 0, 1, nullptr, 0.0f);
}

void aPlug::selectLastKey() {
  UiScope scope(*this);
  model_.selectKey(model_.state().lastSelectedKey);
}

void aPlug::getParameterName(int32_t index, char* text) {
  if (text) parameterName(index, text);
}

void aPlug::getParameterLabel(int32_t index, char* text) {
  if (!text) return;
  UiScope scope(*this);
  parameterLabel(model_.state(), index, text);
}

void aPlug::getParameterDisplay(int32_t index, char* text) {
  if (!text) return;
  UiScope scope(*this);
  parameterDisplay(model_.state(), index, text);
}

void aPlug::getProgramName(char* text) {
  if (!text) return;
  UiScope scope(*this);
  const EngineState& s = model_.state();
  char name[sizeof s.program.name + 1] = {};
  std::memcpy(name, s.program.name, sizeof s.program.name);
  if (std::strcmp(name, "Init") == 0) {
    char numbered[64];
    std::snprintf(numbered, sizeof numbered, "%s %d", name, static_cast<int>(s.currentProgram + 1));
    copyText(text, numbered, kVstMaxProgNameLen);
  } else {
    copyText(text, name, kVstMaxProgNameLen);
  }
}

void aPlug::setProgramName(const char* text) {
  if (!text) return;
  UiScope scope(*this);
  copyText(model_.state().program.name, text, sizeof model_.state().program.name);
}

bool aPlug::getProgramNameIndexed(int32_t index, char* text) {
  if (index != 0 || !text) return false;
  UiScope scope(*this);
  const ProgramRecord& p = model_.state().program;
  char name[sizeof p.name + 1] = {};
  std::memcpy(name, p.name, sizeof p.name);
  copyText(text, name, kVstMaxProgNameLen);
  return true;
}

}  // namespace tarnwick
