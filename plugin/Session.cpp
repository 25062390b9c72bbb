// Host chunk save and restore, session recovery, and loading the recording from a file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/Resampler.h"
#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "storage/AudioFileReader.h"
#include "vst/RecordingQuery.h"

namespace tarnwick {

namespace {

constexpr const char* kRecoveryTitle = "Tarnwick VSTi - Error recovering last session";
constexpr const char* kUnknownVersionText = "Unknown version of stored data\n\n";
constexpr const char* kLoadErrorText = "Error loading audio file :\n\n";

}  // namespace

int32_t aPlug::getChunk(void** data) {
  if (!data) return 0;
  UiScope scope(*this);
  writeChunkRecord(model_.state(), chunk_.get());
  *data = chunk_.get();
  return static_cast<int32_t>(kChunkSize);
}

StorageResult aPlug::loadAudioFile(const char* path) {
  UiScope scope(*this);
  return loadAudioLocked(path);
}

intptr_t aPlug::answerRecordingQuery(RecordingQueryRecord* record) {
  if (record == nullptr || record->version != kRecordingQueryVersion) return 0;
  UiScope scope(*this);
  record->attempted = lastRecordingResult_ >= 0 ? 1 : 0;
  record->lastResult = lastRecordingResult_ >= 0 ? lastRecordingResult_ : 0;
  record->frameCount = model_.state().buffer.frameCount;
  const char* text = record->attempted ? storageResultMessage(record->lastResult) : "";
  std::snprintf(record->message, sizeof record->message, "%s", text ? text : "");
  return 1;
}

StorageResult aPlug::loadAudioLocked(const char* path) {
  const StorageResult result = readRecording(path);
  lastRecordingResult_ = result;
  if (result == kStorageOk) {
    fileRecordingRate_ = model_.state().sampleRate;
    noteMissingRecording({});
  }
  return result;
}

void aPlug::noteMissingRecording(const std::string& path) {
  if (path == missingRecording_) return;
  missingRecording_ = path;
  noticeSerial_.fetch_add(1, std::memory_order_release);
}

void aPlug::followRateChange() {
  // A recording read from a file is read and converted again at the new rate; one that came from a
  // bank has no rate of its own and plays as stored.
  const float rate = model_.state().sampleRate;
  if (fileRecordingRate_ <= 0.0f || conversionRate(fileRecordingRate_) == conversionRate(rate)) return;
  const std::string path = model_.state().program.audioFileName;
  if (path.empty()) return;
  const bool flooded = model_.state().buffer.floodOn();
  // A file that cannot be read now keeps the recording as it was (at the old rate's pitch).
  if (loadAudioLocked(path.c_str()) == kStorageOk && flooded) model_.setParameter(kFlood, 1.0f);
}

StorageResult aPlug::readRecording(const char* path) {
  if (!path) return kStorageCannotOpen;
  // Read and convert to the side: a refused file changes nothing, and the audio thread receives the
  // recording only once it is complete at the working rate.
  ChannelPair audio;
  AudioFileInfo info;
  const StorageResult result = readAudioFile(path, audio, &info);
  if (result != kStorageOk) return result;
  // Converted between rates of the conversion band: an absurd host rate (1 Hz, 997 Hz) counts as the
  // nearest rate of the band, which keeps the filter small and the conversion short.
  const uint32_t fileRate = conversionRate(info.sampleRate);
  const uint32_t workingRate = conversionRate(model_.state().sampleRate);
  if (fileRate != workingRate) {
    ChannelPair converted;
    const Resampler resampler(fileRate, workingRate);
    if (!resampler.convert(audio, converted)) return kStorageOutOfMemory;
    audio = std::move(converted);
  }
  model_.commitRecording(std::move(audio), path);
  return kStorageOk;
}

int32_t aPlug::setChunk(const void* data, intptr_t size) {
  if (size == 0) return 1;  // a chunk of zero length means "no state"
  auto image = std::make_unique<ChunkImage>();
  if (size < 0 || !parseChunkRecord(static_cast<const uint8_t*>(data), static_cast<size_t>(size), *image)) {
    platform::showMessageBox(kRecoveryTitle, kUnknownVersionText, platform::MessageBoxButtons::kOk);
    return 1;
  }
  std::string message;
  {
    UiScope scope(*this);
    message = restoreSession(*image, true);
  }
  if (!message.empty()) platform::showMessageBox(kRecoveryTitle, message.c_str(), platform::MessageBoxButtons::kOk);
  return 1;
}

std::string aPlug::restoreSession(const ChunkImage& image, bool reloadAudio) {
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
      noteMissingRecording(image.path);
    }
  } else if (!image.pathTooLong) {
    noteMissingRecording({});  // a session or bank without a recording of its own misses none
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
