// The instrument's side of the editor: host requests, the editor's writes and reads, and the headless probe.
#include "plugin/EditorLink.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "editor/Layout.h"
#include "engine/Engine.h"
#include "platform/OffscreenWindow.h"
#include "plugin/aPlug.h"
#include "vst/EditorProbe.h"

namespace tarnwick {

EditorLink::EditorLink(aPlug& plug) : plug_(plug), editor_(std::make_unique<ADEditor>(this, this, this)) {}

EditorLink::~EditorLink() {
  editor_->close();
  probeWindow_ = nullptr;
}

intptr_t EditorLink::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
  switch (opcode) {
    case effEditGetRect: return (ptr != nullptr && editor_->getRect(static_cast<ERect**>(ptr))) ? 1 : 0;
    case effEditOpen: probeWindow_ = nullptr; return editor_->open(ptr) ? 1 : 0;
    case effEditClose:
      probeWindow_ = nullptr;
      editor_->close();
      return 1;
    case effEditIdle:
      if (!editor_->isOpen()) return 0;
      editor_->idle();
      return 1;
    case effEditKeyDown:
      return editor_->onKeyDown(index, static_cast<int32_t>(value), static_cast<int32_t>(opt)) ? 1 : 0;
    case effEditKeyUp: return editor_->onKeyUp(index, static_cast<int32_t>(value), static_cast<int32_t>(opt)) ? 1 : 0;
    case effSetEditKnobMode: return editor_->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effVendorSpecific:
      if (index != kEditorProbeIndex) return 0;
      return probe(static_cast<int32_t>(value), static_cast<EditorProbeRecord*>(ptr));
    default: return 0;
  }
}

intptr_t EditorLink::probe(int32_t command, EditorProbeRecord* record) {
  if (record == nullptr || record->version != kEditorProbeVersion) return 0;
  switch (command) {
    case kProbeOpen: {
      auto window = std::make_unique<platform::OffscreenWindow>(layout::kWindowWidth, layout::kWindowHeight);
      platform::OffscreenWindow* raw = window.get();
      if (!editor_->openOn(std::move(window))) return 0;
      probeWindow_ = raw;
      record->width = raw->width();
      record->height = raw->height();
      return 1;
    }
    case kProbeMouse:
      if (!probeWindow_) return 0;
      probeWindow_->queueMouse(record->x, record->y, record->buttons);
      return 1;
    case kProbeIdle:
      if (!probeWindow_ || record->count < 1 || record->count > 1000) return 0;
      for (int32_t i = 0; i < record->count && probeWindow_; ++i) editor_->idle();
      return 1;
    case kProbeRead: {
      if (!probeWindow_) return 0;
      const int32_t w = probeWindow_->width(), h = probeWindow_->height();
      record->width = w;
      record->height = h;
      if (record->pixels == nullptr || record->pixelCapacity < w * h) return 0;
      const auto& pixels = probeWindow_->pixels();
      std::copy(pixels.begin(), pixels.end(), record->pixels);
      return 1;
    }
    case kProbeClose:
      probeWindow_ = nullptr;
      editor_->close();
      return 1;
    default: return 0;
  }
}

void EditorLink::setParameterAutomated(int32_t index, float value) {
  plug_.setParameter(index, value);
  // Only the host's own parameters are reported: the host knows nothing of the internal indices.
  if (isHostParameter(index)) plug_.callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void EditorLink::setParameter(int32_t index, float value) { plug_.setParameter(index, value); }

float EditorLink::getParameter(int32_t index) { return plug_.getParameter(index); }

void EditorLink::beginEdit(int32_t index) {
  if (isHostParameter(index)) plug_.callHost(audioMasterBeginEdit, index, 0, nullptr, 0.0f);
}

void EditorLink::endEdit(int32_t index) {
  if (isHostParameter(index)) plug_.callHost(audioMasterEndEdit, index, 0, nullptr, 0.0f);
}

void EditorLink::idleHost() { plug_.callHost(audioMasterIdle, 0, 0, nullptr, 0.0f); }

// The editor's reads come from the user-interface side's model, brought up to the playing engine's
// state first; the peak and the playing grain are the playing engine's atomics.
void EditorLink::readLive(LiveState& live) {
  UiScope scope(plug_);
  const EngineState& s = plug_.model_.state();
  live.editRow = s.editRow;
  live.playingGrain = plug_.live_.playingGrain();
  live.keySplitStart = s.keySplitStart;
  live.grainLength = s.editRowGrainLength;
  live.morph = s.morph;
  live.busy = s.engineBusy;
  live.keyCount = s.keyCount;
  live.lowKey = s.lowKey;
}

float EditorLink::readPeakLevel() { return plug_.live_.readMeterPeak(); }

void EditorLink::readRow(int32_t row, RowSnapshot& snapshot) {
  if (row < 0 || row >= kRowCount) return;
  UiScope scope(plug_);
  const KeyRow& r = plug_.model_.state().rows[row];
  std::copy(std::begin(r.delayValue), std::end(r.delayValue), snapshot.delayValue);
  snapshot.unitDura = r.unitDura;
  snapshot.release = r.release;
  snapshot.envelope = r.envelope;
}

void EditorLink::readWave(WaveSummary& summary) {
  UiScope scope(plug_);
  const EngineState& s = plug_.model_.state();
  summariseWave(s.buffer.left, s.buffer.right, s.buffer.frameCount, s.buffer.frameCountF, summary);
  summary.keyCount = s.keyCount;
  summary.lowKey = s.lowKey;
  summary.grainLength = s.editRowGrainLength;
}

void EditorLink::readCopyBuffer(float slots[kCopySlots][kGrainCount]) {
  UiScope scope(plug_);
  const EngineState& s = plug_.model_.state();
  for (int32_t j = 0; j < kCopySlots; ++j) std::copy(s.copyBuffer[j], s.copyBuffer[j] + kGrainCount, slots[j]);
}

const char* EditorLink::recentFile(int32_t index) { return plug_.recentFiles().entry(index); }

void EditorLink::parameterDisplay(int32_t index, char* text) { plug_.getParameterDisplay(index, text); }

void EditorLink::parameterLabel(int32_t index, char* text) { plug_.getParameterLabel(index, text); }

void EditorLink::readStorageSummary(StorageSummary& summary) {
  summary.bankFileName = plug_.bankFileName();
  UiScope scope(plug_);
  const EngineState& s = plug_.model_.state();
  summary.audioFileName = s.program.audioFileName;
  summary.frameCount = s.buffer.frameCount;
  summary.sampleRate = s.sampleRate;
  summary.saved = s.buffer.saved;
  summary.missingRecording = plug_.missingRecording_;
  summary.convertedInMemoryTo = plug_.convertedInMemoryTo_;
}

uint32_t EditorLink::recordingNoticeSerial() { return plug_.noticeSerial_.load(std::memory_order_acquire); }

bool EditorLink::playNote(const MidiMessage& message) { return plug_.playNote(message); }

void EditorLink::sendToHost(const MidiMessage& message) {
  VstMidiEvent event{};
  event.type = kVstMidiType;
  event.byteSize = sizeof event;
  event.deltaFrames = message.deltaFrames;
  event.midiData[0] = static_cast<char>(message.status);
  event.midiData[1] = static_cast<char>(message.data1);
  event.midiData[2] = static_cast<char>(message.data2);
  VstEvents list{};
  list.numEvents = 1;
  list.events[0] = reinterpret_cast<VstEvent*>(&event);
  plug_.callHost(audioMasterProcessEvents, 0, 0, &list, 0.0f);
}

StorageResult EditorLink::loadAudioFile(const char* path) { return plug_.loadAudioFile(path); }

StorageResult EditorLink::loadBank(const char* path) { return plug_.loadBank(path); }

StorageResult EditorLink::saveBank(const char* path) { return plug_.saveBank(path); }

void EditorLink::selectLastKey() { plug_.selectLastKey(); }

const char* EditorLink::bankFileName() { return plug_.bankFileName(); }

void EditorLink::setBankFileName(const char* path) { plug_.setBankFileName(path); }

bool EditorLink::addRecentFile(const char* path) { return plug_.addRecentFile(path); }

bool EditorLink::hostHasFileSelector() {
  char text[] = "openFileSelector";
  return plug_.callHost(audioMasterCanDo, 0, 0, text, 0.0f) == 1;
}

bool EditorLink::runHostFileSelector(VstFileSelect& select, std::string& path) {
  if (plug_.callHost(audioMasterOpenFileSelector, 0, 0, &select, 0.0f) == 0) return false;
  const bool picked = select.returnPath != nullptr && select.returnPath[0] != '\0';
  if (picked)
    path.assign(select.returnPath,
                strnlen(select.returnPath, static_cast<size_t>(select.sizeReturnPath > 0 ? select.sizeReturnPath : 0)));
  // The host frees what it allocated for the run.
  plug_.callHost(audioMasterCloseFileSelector, 0, 0, &select, 0.0f);
  return picked;
}

}  // namespace tarnwick
