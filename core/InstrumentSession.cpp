// Host chunk save and restore, session recovery, and loading the recording from a file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/Instrument.h"
#include "engine/Resampler.h"

namespace tarnwick {

namespace {

constexpr const char* kRecoveryTitle = "Tarnwick VSTi - Error recovering last session";
constexpr const char* kUnknownVersionText = "Unknown version of stored data\n\n";
constexpr const char* kLoadErrorText = "Error loading audio file :\n\n";

}  // namespace

const uint8_t* Instrument::saveState(size_t& size) {
  UiScope scope(*this);
  writeChunkRecord(model_.state(), chunk_.get());
  size = kChunkSize;
  return chunk_.get();
}

// [main-thread]
StorageResult Instrument::loadAudioFile(const char* path) {
  loader_.cancel();
  // Read and converted with no lock held; installed under it, unless the rate changed meanwhile.
  uint32_t rate;
  {
    UiScope scope(*this);
    rate = workingRate();
  }
  ChannelPair audio;
  const StorageResult result = readRecordingAt(path, rate, audio, nullptr);
  UiScope scope(*this);
  if (rate != workingRate()) return loadAudioLocked(path);
  installRecording(result, std::move(audio), path);
  return result;
}

RecordingStatus Instrument::recordingStatus() {
  UiScope scope(*this);
  RecordingStatus status;
  status.attempted = lastRecordingResult_ >= 0;
  status.lastResult = lastRecordingResult_ >= 0 ? lastRecordingResult_ : kStorageOk;
  status.frameCount = model_.state().buffer.frameCount;
  return status;
}

StorageResult Instrument::loadAudioLocked(const char* path) {
  ChannelPair audio;
  const StorageResult result = readRecordingAt(path, workingRate(), audio, nullptr);
  installRecording(result, std::move(audio), path);
  return result;
}

uint32_t Instrument::workingRate() const { return conversionRate(model_.state().sampleRate); }

void Instrument::installRecording(StorageResult result, ChannelPair&& audio, const char* path, bool playable,
                                  std::shared_ptr<const WaveSummary> wave) {
  lastRecordingResult_ = result;
  if (result != kStorageOk) return;
  // The arrays change hands whole: the audio thread receives them complete with the next shipment.
  model_.commitRecording(std::move(audio), path, playable);
  if (wave) {
    wave_ = std::move(wave);
    waveGeneration_ = model_.state().buffer.generation;
  }
  fileRecordingRate_ = model_.state().sampleRate;
  setRecordingNotice({}, 0.0f);
}

void Instrument::setRecordingNotice(const std::string& missing, float convertedTo) {
  if (missing == missingRecording_ && convertedTo == convertedInMemoryTo_) return;
  missingRecording_ = missing;
  convertedInMemoryTo_ = convertedTo;
  noticeSerial_.fetch_add(1, std::memory_order_release);
}

void Instrument::followRateChange() {
  // A recording read from a file is read and converted again at the new rate; one that came from a
  // bank has no rate of its own and plays as stored.
  const float rate = model_.state().sampleRate;
  if (fileRecordingRate_ <= 0.0f || conversionRate(fileRecordingRate_) == conversionRate(rate)) return;
  const std::string path = model_.state().program.audioFileName;
  const bool flooded = model_.state().buffer.floodOn();
  bool converted = !path.empty() && loadAudioLocked(path.c_str()) == kStorageOk;
  // The file cannot be read again (moved, deleted, or a restored session named one that was refused):
  // the recording in memory is converted instead, so that it keeps its pitch.
  if (!converted) converted = convertRecordingInMemory();
  if (converted && flooded) model_.setParameter(kFlood, 1.0f);
}

bool Instrument::convertRecordingInMemory() {
  // From the samples in memory at the rate they hold, rather than from a copy kept at the file's rate:
  // that copy would double the memory of every converted recording for the rare case of a file that
  // is gone, while a conversion keeps everything below 90 % of the lower Nyquist frequency flat to
  // 0.1 dB, so going back and forth between the usual host rates loses nothing a recording at 44.1 kHz
  // holds below 19.8 kHz (only a detour through a lower rate takes the top of the band for good).
  const ChannelPair& stored = model_.store().stored();
  if (stored.empty() || stored.frameCount <= 0) return false;
  const float rate = model_.state().sampleRate;
  const Resampler resampler(conversionRate(fileRecordingRate_), conversionRate(rate));
  ChannelPair converted;
  if (!resampler.convert(stored, converted)) return false;
  // Built to the side and swapped in whole: the audio thread receives it complete with the next state.
  const bool saved = model_.state().buffer.saved;
  model_.commitRecording(std::move(converted), nullptr);
  model_.state().buffer.saved = saved;
  fileRecordingRate_ = rate;
  setRecordingNotice(missingRecording_, rate);
  return true;
}

void Instrument::restoreState(const void* data, int64_t size) {
  if (size == 0) return;  // a record of zero length means "no state"
  auto image = std::make_unique<ChunkImage>();
  if (size < 0 || !data || !parseChunkRecord(static_cast<const uint8_t*>(data), static_cast<size_t>(size), *image)) {
    host_.notify(kRecoveryTitle, kUnknownVersionText, platform::MessageBoxButtons::kOk);
    return;
  }
  std::string message;
  loader_.cancel();  // the session is the later state: an editor load still running is dropped
  {
    UiScope scope(*this);
    message = restoreSession(*image, true);
  }
  if (!message.empty()) host_.notify(kRecoveryTitle, message.c_str(), platform::MessageBoxButtons::kOk);
}

std::string Instrument::restoreSession(const ChunkImage& image, bool reloadAudio) {
  EngineState& s = model_.state();
  const EngineState& stored = image.values;
  std::string message;
  if (image.pathTooLong) {
    message = std::string(kLoadErrorText) + "(-filename too long-)\n";
  } else {
    std::memcpy(s.program.audioFileName, image.path, kPathCapacity);
  }
  applyChunkFields(image, s);
  // A flood from before is rebuilt from the session's own key below, not kept.
  model_.flood(0.0f);
  s.flood = 0.0f;
  if (reloadAudio && !image.pathTooLong && image.path[0] != '\0') {
    // The message says which file and why; the status line keeps saying where it was looked for.
    if (const StorageResult result = loadAudioLocked(image.path); result != kStorageOk) {
      message = std::string(kLoadErrorText) + image.path + "\n" + storageResultMessage(result);
      setRecordingNotice(image.path, 0.0f);
    }
  } else if (!image.pathTooLong) {
    setRecordingNotice({}, 0.0f);  // a session or bank without a recording of its own misses none
  }

  const auto restoreKeys = [&] {
    s.lastSelectedKey = stored.lastSelectedKey;
    s.editRow = s.masterEditMode() ? kMasterRow : stored.editRow;
  };
  bool rowsDerived = false;
  for (int32_t index : kRestoreSequence) {
    if (!rowsDerived && restoreStepOf(*parameterInfo(index), index) >= kRestoreRowsBeforeStep) {
      // The option menus selected keys of their own on the way; the session's keys come back first.
      restoreKeys();
      model_.reapplyRows();
      rowsDerived = true;
    }
    model_.setParameter(index, storedParameter(stored, index));
  }
  model_.selectKey(s.masterEditMode() ? kMasterRow : stored.editRow);
  s.lastSelectedKey = stored.lastSelectedKey;
  s.playRow = stored.playRow;
  model_.setParameter(kEditorRedraw, 1.0f);
  return message;
}

}  // namespace tarnwick
