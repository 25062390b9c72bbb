// Bank save and load: the state record with the samples, and the overwrite questions, which are asked
// with no lock held.
#include <filesystem>
#include <memory>

#include "core/Instrument.h"
#include "storage/BankFile.h"

namespace tarnwick {

namespace {

constexpr const char* kOverwriteFileTitle = "Tarnwick - confirm overwrite file";
constexpr const char* kOverwriteFileText = "Overwrite existing file ?";
constexpr const char* kOverwriteBufferTitle = "Tarnwick - confirm overwrite buffer";
constexpr const char* kOverwriteBufferText = "Overwrite audiobuffer ?\n       (buffer is not saved yet)";

}  // namespace

bool Instrument::userAgrees(const char* title, const char* text) {
  return host_.notify(title, text, platform::MessageBoxButtons::kYesNo) == platform::MessageBoxAnswer::kYes;
}

// [ui-thread]
StorageResult Instrument::saveBank(const char* path) {
  // Whether a file is there is the file system's answer, whatever the file's permissions; nothing is
  // opened to find out (a FIFO would block).
  std::filesystem::path target;
  switch (inspectSaveTarget(path, target)) {
    case SaveTarget::kRefused: return kStorageCannotWrite;
    case SaveTarget::kExisting:
      if (!userAgrees(kOverwriteFileTitle, kOverwriteFileText)) return kStorageFileExists;
      break;
    case SaveTarget::kNew: break;
  }
  UiScope scope(*this);
  EngineState& s = model_.state();
  writeChunkRecord(s, chunk_.get());
  // Always the stored arrays, never the flooded copy the engine may be playing.
  const BufferView& b = s.buffer;
  const bool present = b.storedLeft() && b.storedRight();
  const StorageResult result =
      writeBankFile(path, chunk_.get(), b.storedLeft(), b.storedRight(), present ? b.frameCount : 0);
  if (result == kStorageOk) s.buffer.saved = true;
  return result;
}

// [ui-thread]
StorageResult Instrument::loadBank(const char* path) {
  // The file is read with no lock held; the playing engine keeps the old state until the new one
  // is shipped, complete, at the end.
  loader_.cancel();  // the bank is the later state: an editor load still running is dropped
  BankReader reader;
  StorageResult result = reader.open(path);
  if (result != kStorageOk) return result;  // header refused: nothing changed
  std::unique_ptr<ChunkImage> image(new (std::nothrow) ChunkImage);
  result = image ? reader.readRecord(*image) : kStorageOutOfMemory;
  ChannelPair samples;
  bool takeSamples = false;
  if (result == kStorageOk && reader.carriesAudio()) {
    bool saved;
    {
      UiScope scope(*this);
      saved = model_.state().buffer.saved;
    }
    takeSamples = saved || userAgrees(kOverwriteBufferTitle, kOverwriteBufferText);
    if (takeSamples) result = reader.readSamples(samples);
  }
  reader.close();

  UiScope scope(*this);
  // Past the header every load silences the keys and switches flood off, also one that fails now; a
  // failed one keeps the rows, the parameters and the buffer as they were.
  model_.silenceAll();
  if (model_.state().buffer.floodOn()) model_.setParameter(kFlood, 0.0f);
  if (result != kStorageOk) return result;
  if (takeSamples) {
    model_.commitRecording(std::move(samples), nullptr);
    fileRecordingRate_ = 0.0f;  // the bank's samples stay as stored at any rate
    setRecordingNotice({}, 0.0f);
  }
  restoreSession(*image, false);
  model_.setParameter(kEditorRefresh, 1.0f);
  model_.setParameter(kEditorRedraw, 1.0f);
  return kStorageOk;
}

// [ui-thread]
int32_t Instrument::applyChunkRecord(const uint8_t* record, size_t size) {
  std::unique_ptr<ChunkImage> image(new (std::nothrow) ChunkImage);
  if (!image || !parseBankRecord(record, size, *image)) return 0;
  loader_.cancel();
  UiScope scope(*this);
  restoreSession(*image, false);
  return 1;
}

}  // namespace tarnwick
