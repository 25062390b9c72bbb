// Bank save and load: the state record with the samples, the overwrite questions, and the swap
// of complete new arrays into the engine.
#include <memory>
#include <new>

#include "platform/MessageBox.h"
#include "plugin/aPlug.h"
#include "storage/BankFile.h"
#include "storage/ChunkRecord.h"

namespace tarnwick {

namespace {

constexpr const char* kOverwriteFileTitle = "Tarnwick - confirm overwrite file";
constexpr const char* kOverwriteFileText = "Overwrite existing file ?";
constexpr const char* kOverwriteBufferTitle = "Tarnwick - confirm overwrite buffer";
constexpr const char* kOverwriteBufferText = "Overwrite audiobuffer ?\n       (buffer is not saved yet)";

bool fileCanBeRead(const char* path) {
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool userAgrees(const char* title, const char* text) {
  return platform::showMessageBox(title, text, platform::MessageBoxButtons::kYesNo) == platform::MessageBoxAnswer::kYes;
}

}  // namespace

// [ui-thread]
StorageResult aPlug::saveBank(const char* path) {
  if (!path || path[0] == '\0') return kStorageCannotWrite;
  // The question concerns only the file, so it is asked before any lock is taken.
  if (fileCanBeRead(path) && !userAgrees(kOverwriteFileTitle, kOverwriteFileText)) return kStorageFileExists;

  std::lock_guard<std::mutex> uiGuard(uiLock_);
  const float* left = nullptr;
  const float* right = nullptr;
  int32_t frames = 0;
  {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    const EngineState& s = engine_.state();
    writeChunkRecord(s, chunk_.get());
    // Always the stored arrays, never the flooded copy the engine may be playing.
    if (!s.buffer.stored.empty()) {
      left = s.buffer.storedLeft();
      right = s.buffer.storedRight();
      frames = s.buffer.frameCount;
    }
  }
  // The stored arrays are replaced only under uiLock_, which this thread holds, so they are
  // written without the engine lock and the render goes on meanwhile.
  const StorageResult result = writeBankFile(path, chunk_.get(), left, right, frames);
  if (result == kStorageOk) {
    std::lock_guard<std::mutex> engineGuard(engineLock_);
    engine_.state().buffer.saved = true;
  }
  return result;
}

// [ui-thread]
StorageResult aPlug::loadBank(const char* path) {
  StorageResult result;
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    // File reading and allocation happen here with no engine lock: the engine keeps playing the
    // old state until the swap.
    BankReader reader;
    result = reader.open(path);
    if (result != kStorageOk) return result;  // header refused: nothing changed
    std::unique_ptr<ChunkImage> image(new (std::nothrow) ChunkImage);
    result = image ? reader.readRecord(*image) : kStorageOutOfMemory;
    ChannelPair samples;
    bool takeSamples = false;
    if (result == kStorageOk && reader.carriesAudio()) {
      bool saved;
      {
        std::lock_guard<std::mutex> engineGuard(engineLock_);
        saved = engine_.state().buffer.saved;
      }
      takeSamples = saved || userAgrees(kOverwriteBufferTitle, kOverwriteBufferText);
      if (takeSamples) result = reader.readSamples(samples);
    }
    reader.close();

    {
      std::lock_guard<std::mutex> engineGuard(engineLock_);
      EngineState& s = engine_.state();
      // Past the header every load silences the keys and switches flood off, also one that fails
      // now; a failed one keeps the rows, the parameters and the buffer as they were.
      s.engineBusy = true;
      engine_.silenceAll();
      if (s.buffer.floodOn()) engine_.setParameter(kFlood, 0.0f);
      if (result == kStorageOk && takeSamples) {
        // Complete arrays only; the old ones go to the discard pile, freed after the locks.
        engine_.replaceBuffer(std::move(samples));
        s.buffer.saved = true;
        engine_.reapplyRows();  // no note may start on rows derived from the old length
        engine_.setParameter(kEditorRefresh, 1.0f);
      }
      if (result != kStorageOk) {
        s.engineBusy = false;
        refreshMirror();
      }
    }
    if (result == kStorageOk) {
      // engineBusy stays raised through the restore: the render is silent between its steps.
      applyChunkImage(*image, false);
      std::lock_guard<std::mutex> engineGuard(engineLock_);
      engine_.setParameter(kEditorRefresh, 1.0f);
      engine_.state().engineBusy = false;
      engine_.setParameter(kEditorRedraw, 1.0f);
      refreshMirror();
    }
  }
  freeDiscarded();
  return result;
}

// [ui-thread]
int32_t aPlug::applyChunkRecord(const uint8_t* record, size_t size) {
  std::unique_ptr<ChunkImage> image(new (std::nothrow) ChunkImage);
  if (!image || !parseBankRecord(record, size, *image)) return 0;
  {
    std::lock_guard<std::mutex> uiGuard(uiLock_);
    applyChunkImage(*image, false);
  }
  freeDiscarded();
  return 1;
}

}  // namespace tarnwick
