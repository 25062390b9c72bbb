// The editor's recording loads: read and converted on the loader's thread, installed whole by the
// user-interface thread's poll that finds them finished.
#include "core/Instrument.h"

namespace tarnwick {

// [main-thread]
void Instrument::startAudioLoad(const char* path) {
  if (path == nullptr) path = "";
  uint32_t rate;
  {
    UiScope scope(*this);
    rate = workingRate();
  }
  loader_.start(path, rate);
}

// [main-thread]
RecordingLoadState Instrument::pollAudioLoad() {
  RecordingLoadState state;
  if (!loader_.busy()) return state;
  {
    // Taken under the lock: a session or bank restored on another thread drops the load before it
    // takes the lock, so its state is never overwritten by a load that began before it.
    UiScope scope(*this);
    RecordingLoader::Result done;
    if (loader_.take(done)) {
      if (done.workingRate != workingRate()) {
        // The host changed the rate meanwhile: read again at the new one.
        loader_.start(done.path, workingRate());
      } else {
        installRecording(done.result, std::move(done.audio), done.path.c_str(), done.playable, std::move(done.wave));
        state.phase = RecordingLoadState::Phase::kFinished;
        state.permille = 1000;
        state.result = done.result;
        return state;
      }
    }
  }
  if (!loader_.busy()) return state;  // dropped meanwhile
  state.phase = RecordingLoadState::Phase::kRunning;
  state.permille = loader_.permille();
  return state;
}

// [main-thread]
void Instrument::endAudioLoads() { loader_.stop(); }

}  // namespace tarnwick
