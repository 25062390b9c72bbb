// The instrument: construction, the main-thread side's operations (parameters, resume, texts, program
// name), its bracket around the model, and the writes posted from a thread the caller cannot name.
#include "core/Instrument.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/EditorLink.h"
#include "engine/RowDerivation.h"

namespace tarnwick {

namespace {

// Hosts take program names of at most 24 characters with the terminator.
constexpr size_t kProgramNameCapacity = 24;

}  // namespace

Instrument::Instrument(HostServices& host)
    : host_(host),
      chunk_(std::make_unique<uint8_t[]>(kChunkSize)),
      model_(this, Engine::Role::kModel),
      shippedModel_(std::make_unique<EngineState>()),
      live_(this, Engine::Role::kPlays) {
  // Both engines start from the model's factory state; nothing renders yet.
  live_.state() = model_.state();
  *shippedModel_ = model_.state();
  mirror_.publishAll(model_.state());
  recentFiles_.read();
  editorLink_ = std::make_unique<EditorLink>(*this);
  setEditor(&editorLink_->editor());
  resume();
}

Instrument::~Instrument() {
  if (editorLink_) {
    setEditor(nullptr);  // no more echoes into an editor that is going away
    editorLink_.reset();
  }
}

void Instrument::setEditor(EditorSink* editor) {
  std::lock_guard<std::mutex> uiGuard(uiLock_);
  model_.setEditor(editor);
  live_.setEditor(editor);
}

void Instrument::beginUiOperation() {
  // The audio side's own changes (notes, automation, tempo) come in once it has applied everything
  // this side shipped; until then the model is the newer of the two.
  if (handoff_.rebase(model_.state())) *shippedModel_ = model_.state();
  takePostedWrites();
  reclaimer_.reclaim(handoff_.acknowledged(), audioPresence_);
}

void Instrument::takePostedWrites() {
  // Host parameters: the audio side takes the same writes itself at its next block, so what they change
  // here counts as shipped already; shipping it could overwrite newer automation there.
  if (inbox_.pending(ParameterInbox::kUserInterfaceSide)) {
    const EngineState before = model_.state();
    inbox_.drain(ParameterInbox::kUserInterfaceSide,
                 [&](int32_t index, float value) { model_.setParameter(index, value); });
    // A write that stops every voice (a layout switch) stops the audio side's voices where it applies the
    // same write: the model's count of silence requests stays, or the two sides would count apart.
    model_.state().silenceRequests = before.silenceRequests;
    const auto* was = reinterpret_cast<const uint32_t*>(&before);
    const auto* now = reinterpret_cast<const uint32_t*>(&model_.state());
    auto* shipped = reinterpret_cast<uint32_t*>(shippedModel_.get());
    for (size_t i = 0; i < sizeof(EngineState) / sizeof(uint32_t); ++i) {
      if (now[i] != was[i]) shipped[i] = now[i];
    }
    mirror_.publishChanges(before, model_.state());
  }
  // Internal indices, in order: shipped with the operation like the editor's own writes.
  internalWrites_.drain([&](int32_t index, float value) { model_.setParameter(index, value); });
}

void Instrument::endUiOperation() {
  const uint32_t before = handoff_.shipped();
  const uint32_t shipment = handoff_.ship(*shippedModel_, model_.state());
  if (model_.store().hasRetired()) reclaimer_.add(model_.store().takeRetired(), shipment, audioPresence_.mark());
  if (shipment != before) {
    mirror_.publishChanges(*shippedModel_, model_.state());
    *shippedModel_ = model_.state();
  }
  reclaimer_.reclaim(handoff_.acknowledged(), audioPresence_);
}

Engine& Instrument::modelForTesting() {
  UiScope scope(*this);
  return model_;
}

void Instrument::setParameter(int32_t index, float value) {
  UiScope scope(*this);
  model_.setParameter(index, value);
}

float Instrument::getParameter(int32_t index) {
  if (index == kPeakLevel) return live_.readPeakLevel();  // an atomic exchange
  UiScope scope(*this);
  return model_.getParameter(index);
}

void Instrument::postParameter(int32_t index, float value) {
  if (isHostParameter(index)) {
    if (value != value) return;  // a NaN changes nothing
    // Readers see the write at once; each engine applies it at its next operation.
    const bool quantized = truncToInt(mirror_.read(kDelayRange)) == kQuantizedRange;
    mirror_.store(index, hostValueAfterWrite(index, value, mirror_.read(index), quantized));
    inbox_.post(index, value);
    return;
  }
  UiScope scope(*this, std::try_to_lock);
  if (scope.owns()) {
    model_.setParameter(index, value);
    return;
  }
  if (!internalWrites_.push(index, value)) droppedWrites_.fetch_add(1, std::memory_order_relaxed);
}

float Instrument::readParameter(int32_t index) {
  if (index == kPeakLevel) return live_.readPeakLevel();
  return mirror_.read(index);
}

void Instrument::setSampleRate(float rate) {
  if (std::isfinite(rate) && rate > 0.0f) hostSampleRate_.store(rate, std::memory_order_relaxed);
}

void Instrument::resume() {
  UiScope scope(*this);
  model_.resume(hostSampleRate_.load(std::memory_order_relaxed));
  followRateChange();
}

void Instrument::selectLastKey() {
  UiScope scope(*this);
  model_.selectKey(model_.state().lastSelectedKey);
}

void Instrument::getParameterName(int32_t index, char* text) {
  if (text) parameterName(index, text);
}

void Instrument::getParameterLabel(int32_t index, char* text) {
  if (!text) return;
  UiScope scope(*this);
  parameterLabel(model_.state(), index, text);
}

void Instrument::getParameterDisplay(int32_t index, char* text) {
  if (!text) return;
  UiScope scope(*this);
  parameterDisplay(model_.state(), index, text);
}

void Instrument::getProgramName(char* text) {
  if (!text) return;
  UiScope scope(*this);
  const EngineState& s = model_.state();
  char name[sizeof s.program.name + 1] = {};
  std::memcpy(name, s.program.name, sizeof s.program.name);
  if (std::strcmp(name, "Init") == 0) {
    char numbered[64];
    std::snprintf(numbered, sizeof numbered, "%s %d", name, static_cast<int>(s.currentProgram + 1));
    copyText(text, numbered, kProgramNameCapacity);
  } else {
    copyText(text, name, kProgramNameCapacity);
  }
}

void Instrument::setProgramName(const char* text) {
  if (!text) return;
  UiScope scope(*this);
  copyText(model_.state().program.name, text, sizeof model_.state().program.name);
}

bool Instrument::getProgramNameIndexed(int32_t index, char* text) {
  if (index != 0 || !text) return false;
  UiScope scope(*this);
  const ProgramRecord& p = model_.state().program;
  char name[sizeof p.name + 1] = {};
  std::memcpy(name, p.name, sizeof p.name);
  copyText(text, name, kProgramNameCapacity);
  return true;
}

// [main-thread]
void Instrument::previewRecording(const char* path) {
  if (path == nullptr || *path == '\0') {
    preview_.stop();
    return;
  }
  preview_.start(path, hostSampleRate_.load(std::memory_order_relaxed));
}

}  // namespace tarnwick
