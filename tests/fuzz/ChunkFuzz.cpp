// Fuzz target: restoring a host chunk into an instance, and the chunk it hands back afterwards.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "storage/ChunkRecord.h"
#include "tests/fuzz/FuzzPlay.h"

namespace {

namespace fs = std::filesystem;

tarnwick::platform::MessageBoxAnswer quiet(const char*, const char*, tarnwick::platform::MessageBoxButtons buttons) {
  return buttons == tarnwick::platform::MessageBoxButtons::kOk ? tarnwick::platform::MessageBoxAnswer::kOk
                                                               : tarnwick::platform::MessageBoxAnswer::kNo;
}

// One instance for the whole run, with a recording loaded, so that the notes played after each
// restore sound. The working folder is left alone: libFuzzer's own paths may be relative to it; a
// recording a chunk names there is just loaded or refused like any other.
struct Rig {
  std::unique_ptr<tarnwick::aPlug> plug;
  std::unique_ptr<tarnwick::ChunkImage> image = std::make_unique<tarnwick::ChunkImage>();

  Rig() {
    tarnwick::platform::setMessageBoxHandler(quiet);
    // A hive that does not exist: no recent-files list is read.
    const fs::path noHive = fs::temp_directory_path() / ("tarnwick-fuzz-no-hive-" + std::to_string(::getpid()));
    tarnwick::platform::setRegistryRootForTesting(noHive.c_str());
    plug = std::make_unique<tarnwick::aPlug>(nullptr);
    const fs::path recording =
        fs::temp_directory_path() / ("tarnwick-fuzz-chunk-" + std::to_string(::getpid()) + ".wav");
    if (!tarnwick::fuzz::writeRecording(recording.string(), 61 * 300)) std::abort();
    if (plug->core().loadAudioFile(recording.c_str()) != 0) std::abort();
    std::error_code error;
    fs::remove(recording, error);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  if (rig.plug->setChunk(data, static_cast<intptr_t>(size)) != 1) std::abort();
  void* out = nullptr;
  if (rig.plug->getChunk(&out) != static_cast<int32_t>(tarnwick::kChunkSize) || !out) std::abort();
  // Whatever was restored, the instance's own chunk is always one it accepts again.
  if (!tarnwick::parseChunkRecord(static_cast<const uint8_t*>(out), tarnwick::kChunkSize, *rig.image)) std::abort();
  if (rig.plug->core().modelState().engineBusy) std::abort();
  tarnwick::fuzz::playAndCheckFinite(*rig.plug);
  return 0;
}
