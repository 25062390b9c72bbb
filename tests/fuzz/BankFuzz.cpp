// Fuzz target: loading a bank file into an instance, with both answers to the overwrite question.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "tests/fuzz/FuzzPlay.h"

namespace {

namespace fs = std::filesystem;

bool gAnswerYes = false;

tarnwick::platform::MessageBoxAnswer answer(const char*, const char*, tarnwick::platform::MessageBoxButtons buttons) {
  if (buttons == tarnwick::platform::MessageBoxButtons::kOk) return tarnwick::platform::MessageBoxAnswer::kOk;
  return gAnswerYes ? tarnwick::platform::MessageBoxAnswer::kYes : tarnwick::platform::MessageBoxAnswer::kNo;
}

// One instance for the whole run: each input is loaded over whatever the previous ones left.
struct Rig {
  fs::path folder;
  std::string file;
  std::unique_ptr<tarnwick::aPlug> plug;

  Rig() {
    tarnwick::platform::setMessageBoxHandler(answer);
    folder = fs::temp_directory_path() / ("tarnwick-fuzz-bank-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    tarnwick::platform::setRegistryRootForTesting((folder / "hive").c_str());  // no key: nothing read
    file = (folder / "input.vlb").string();
    plug = std::make_unique<tarnwick::aPlug>(nullptr);
  }
  ~Rig() {
    plug.reset();
    std::error_code error;
    fs::remove_all(folder, error);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  std::FILE* f = std::fopen(rig.file.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  gAnswerYes = size % 2 == 0;
  rig.plug->core().modelForTesting().state().buffer.saved = size % 3 != 0;  // sometimes the question is asked
  const tarnwick::StorageResult result = rig.plug->core().loadBank(rig.file.c_str());
  switch (result) {
    case 0:
    case 20:
    case 21:
    case 22:
    case 23:
    case 26:
    case 40: break;
    default: std::abort();
  }
  const tarnwick::EngineState& s = rig.plug->core().modelState();
  const tarnwick::BufferView& b = s.buffer;
  if (s.engineBusy || b.frameCount < 0) std::abort();
  if (b.frameCount > 0) {
    if (!b.storedLeft() || !b.storedRight() || !b.left || !b.right) std::abort();
    // The guard sample repeats frame 0 when the samples came from a bank; read it either way.
    volatile float guard = b.storedLeft()[b.frameCount] + b.storedRight()[b.frameCount];
    (void)guard;
  }
  tarnwick::fuzz::playAndCheckFinite(*rig.plug);
  return 0;
}
