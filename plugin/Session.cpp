// Host chunk save and restore, session recovery, and loading the recording from a file.
#include <cstring>
#include <string>

#include "engine/Flood.h"
#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "storage/AudioCommit.h"
#include "storage/AudioFileReader.h"
#include "storage/ChunkRecord.h"

namespace tarnwick {

namespace {

constexpr const char* kRecoveryTitle = "Tarnwick VSTi - Error recovering last session";

}  // namespace

int32_t aPlug::getChunk(void** data) {
  if (!data) return 0;
  std::lock_guard<std::mutex> uiGuard(uiLock_);
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    writeChunkRecord(engine_.state(), chunk_.get());
  }
  *data = chunk_.get();
  return static_cast<int32_t>(kChunkSize);
}

StorageResult aPlug::loadAudioFile(const char* path) {
  StorageResult result;
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    result = loadAudioLocked(path);
  }
  freeDiscarded();
  return result;
}

StorageResult aPlug::loadAudioLocked(const char* path) {
  if (!path) return kStorageCannotOpen;
  // Read and convert to the side; the engine keeps playing the previous buffer meanwhile.
  DecodedAudio audio;
  const StorageResult result = readAudioFile(path, audio);
  if (result != kStorageOk) return result;
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  commitAudio(engine_, std::move(audio), path);
  refreshMirror();
  return kStorageOk;
}

int32_t aPlug::setChunk(const void* data, intptr_t size) {
  if (size == 0) return 1;  // a chunk of zero length means "no state"
  ChunkImage image;
  if (size < 0 || !parseChunkRecord(static_cast<const uint8_t*>(data), static_cast<size_t>(size), image)) {
    platform::showMessageBox(kRecoveryTitle, "Unknown version of stored data\n\n", platform::MessageBoxButtons::kOk);
    return 1;
  }
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    applyChunkImage(image, true);
  }
  freeDiscarded();
  return 1;
}

void aPlug::applyChunkImage(const ChunkImage& image, bool reloadAudio) {
  std::string message;
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    EngineState& s = engine_.state();
    if (image.pathTooLong) {
      message = "Error loading audio file :\n\n(-filename too long-)\n";
    } else {
      std::memcpy(s.program.audioFileName, image.path, kPathCapacity);
    }
    applyChunkFields(image, s);
  }
  if (!reloadAudio) {
    message.clear();  // a bank carries its own samples and shows no recovery message
  } else if (!image.pathTooLong && image.path[0] != '\0' && loadAudioLocked(image.path) != kStorageOk) {
    message = std::string("Error loading audio file :\n\n") + image.path + "\n";
  }
  if (!message.empty()) {
    platform::showMessageBox(kRecoveryTitle, message.c_str(), platform::MessageBoxButtons::kOk);
  }

  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    EngineState& s = engine_.state();
    engine_.setParameter(kDelayRange, image.options[kOptDelayRange]);
    engine_.setParameter(kKeyMapping, image.options[kOptKeyMapping]);
    engine_.setParameter(kMorphAlgorithm, image.options[kOptMorphAlgorithm]);
    // The mapping step selected its lowest key on the way; the session's own keys come back.
    s.lastSelectedKey = image.lastSelectedKey;
    s.editRow = s.masterEditMode() ? kMasterRow : image.editRow;
    engine_.reapplyRows();
    for (int32_t slot = 0; slot < kCopySlots; ++slot) {
      engine_.setParameter(kCopyFirst + slot, image.copyState[slot]);
      engine_.setParameter(kPasteFirst + slot, image.pasteState[slot]);
    }
    engine_.setParameter(kMainLevl, image.mainLevl);
    engine_.setParameter(kBufstart, image.bufstart);
    engine_.setParameter(kMorph, image.morph);
    engine_.setParameter(kMove, image.move);
    engine_.setParameter(kTrigmode, image.trigmode);
    // Rebuild the flood from the stored last key's slice rather than keep an older flood.
    engine_.flood(0.0f);
    s.flood = 0.0f;
  }
  if (image.flood != 0.0f) {
    floodOn(image.flood);
  } else {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    engine_.setParameter(kFlood, image.flood);
  }
  std::lock_guard<std::mutex> engineGuard(engineLock_);
  EngineState& s = engine_.state();
  engine_.selectKey(s.masterEditMode() ? kMasterRow : image.editRow);
  s.lastSelectedKey = image.lastSelectedKey;
  s.playRow = image.playRow;
  engine_.setParameter(kEditorRedraw, 1.0f);
  refreshMirror();
}

}  // namespace tarnwick
