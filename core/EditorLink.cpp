// The instrument's side of the editor: the editor's writes, reads and actions.
#include "core/EditorLink.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "core/Instrument.h"
#include "engine/Engine.h"

namespace tarnwick {

EditorLink::EditorLink(Instrument& instrument)
    : core_(instrument), editor_(std::make_unique<ADEditor>(this, this, this)) {}

EditorLink::~EditorLink() { editor_->close(); }

void EditorLink::setParameterAutomated(int32_t index, float value) {
  core_.setParameter(index, value);
  // Only the host's own parameters are reported: the host knows nothing of the internal indices.
  if (isHostParameter(index)) core_.host().automate(index, value);
}

void EditorLink::setParameter(int32_t index, float value) { core_.setParameter(index, value); }

float EditorLink::getParameter(int32_t index) { return core_.getParameter(index); }

void EditorLink::beginEdit(int32_t index) {
  if (isHostParameter(index)) core_.host().beginEdit(index);
}

void EditorLink::endEdit(int32_t index) {
  if (isHostParameter(index)) core_.host().endEdit(index);
}

void EditorLink::idleHost() { core_.host().idle(); }
bool EditorLink::sizeWindow(int32_t width, int32_t height) { return core_.host().sizeWindow(width, height); }

// The editor's reads come from the user-interface side's model, brought up to the playing engine's
// state first; the peak and the playing grain are the playing engine's atomics.
void EditorLink::catchUp() { UiScope scope(core_); }

void EditorLink::readLive(LiveState& live) {
  UiScope scope(core_);
  const EngineState& s = core_.model_.state();
  live.editRow = s.editRow;
  live.playingGrain = core_.live_.playingGrain();
  live.keySplitStart = s.keySplitStart;
  live.grainLength = s.editRowGrainLength;
  live.morph = s.morph;
  live.busy = s.engineBusy;
  live.keyCount = s.keyCount;
  live.lowKey = s.lowKey;
}

float EditorLink::readPeakLevel() { return core_.live_.readMeterPeak(); }

void EditorLink::readRow(int32_t row, RowSnapshot& snapshot) {
  if (row < 0 || row >= kRowCount) return;
  UiScope scope(core_);
  const KeyRow& r = core_.model_.state().rows[row];
  std::copy(std::begin(r.delayValue), std::end(r.delayValue), snapshot.delayValue);
  snapshot.unitDura = r.unitDura;
  snapshot.release = r.release;
  snapshot.envelope = r.envelope;
}

void EditorLink::readWave(WaveSummary& summary) {
  UiScope scope(core_);
  const EngineState& s = core_.model_.state();
  const BufferView& b = s.buffer;
  // A recording is summarised once (a long one takes a while to read through); a flood each time.
  const bool stored = b.left == b.storedL && b.right == b.storedR;
  const WaveSummary* known = core_.wave_.get();
  if (stored && known && core_.waveGeneration_ == b.generation && known->length == b.frameCountF) {
    summary.present = known->present;
    summary.length = known->length;
    std::copy(std::begin(known->peakLeft), std::end(known->peakLeft), summary.peakLeft);
    std::copy(std::begin(known->peakRight), std::end(known->peakRight), summary.peakRight);
  } else {
    summariseWave(b.left, b.right, b.frameCount, b.frameCountF, summary);
    if (stored) {
      core_.wave_ = std::make_shared<const WaveSummary>(summary);
      core_.waveGeneration_ = b.generation;
    }
  }
  summary.keyCount = s.keyCount;
  summary.lowKey = s.lowKey;
  summary.grainLength = s.editRowGrainLength;
}

void EditorLink::readCopyBuffer(float slots[kCopySlots][kGrainCount]) {
  UiScope scope(core_);
  const EngineState& s = core_.model_.state();
  for (int32_t j = 0; j < kCopySlots; ++j) std::copy(s.copyBuffer[j], s.copyBuffer[j] + kGrainCount, slots[j]);
}

const char* EditorLink::recentFile(int32_t index) { return core_.recentFiles().entry(index); }

void EditorLink::parameterDisplay(int32_t index, char* text) { core_.getParameterDisplay(index, text); }

void EditorLink::parameterLabel(int32_t index, char* text) { core_.getParameterLabel(index, text); }

void EditorLink::readStorageSummary(StorageSummary& summary) {
  summary.bankFileName = core_.bankFileName();
  UiScope scope(core_);
  const EngineState& s = core_.model_.state();
  summary.audioFileName = s.program.audioFileName;
  summary.frameCount = s.buffer.frameCount;
  summary.sampleRate = s.sampleRate;
  summary.saved = s.buffer.saved;
  summary.missingRecording = core_.missingRecording_;
  summary.convertedInMemoryTo = core_.convertedInMemoryTo_;
}

uint32_t EditorLink::recordingNoticeSerial() { return core_.noticeSerial_.load(std::memory_order_acquire); }

bool EditorLink::playNote(const MidiMessage& message) { return core_.playNote(message); }

void EditorLink::sendToHost(const MidiMessage& message) { core_.host().sendMidi(message); }

StorageResult EditorLink::loadAudioFile(const char* path) { return core_.loadAudioFile(path); }

bool EditorLink::startAudioLoad(const char* path) {
  core_.startAudioLoad(path);
  return true;
}

AudioLoadProgress EditorLink::pollAudioLoad() {
  const RecordingLoadState state = core_.pollAudioLoad();
  AudioLoadProgress progress;
  progress.percent = state.permille / 10;
  progress.result = state.result;
  switch (state.phase) {
    case RecordingLoadState::Phase::kNone: progress.phase = AudioLoadProgress::Phase::kNone; break;
    case RecordingLoadState::Phase::kRunning: progress.phase = AudioLoadProgress::Phase::kRunning; break;
    case RecordingLoadState::Phase::kFinished: progress.phase = AudioLoadProgress::Phase::kFinished; break;
  }
  return progress;
}

void EditorLink::endAudioLoads() { core_.endAudioLoads(); }

StorageResult EditorLink::loadBank(const char* path) { return core_.loadBank(path); }

StorageResult EditorLink::saveBank(const char* path) { return core_.saveBank(path); }

void EditorLink::selectLastKey() { core_.selectLastKey(); }

const char* EditorLink::bankFileName() { return core_.bankFileName(); }

void EditorLink::setBankFileName(const char* path) { core_.setBankFileName(path); }

void EditorLink::previewRecording(const char* path) { core_.previewRecording(path); }

bool EditorLink::addRecentFile(const char* path) { return core_.addRecentFile(path); }

bool EditorLink::hostHasFileSelector() { return core_.host().hasFileSelector(); }

bool EditorLink::runHostFileSelector(const FileSelectRequest& request, std::string& path) {
  return core_.host().runFileSelector(request, path);
}

}  // namespace tarnwick
