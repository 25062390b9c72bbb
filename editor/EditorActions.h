// What the editor asks of the instrument besides parameter writes: auditioned notes, the storage
// operations behind its dialogs, the recent bank files and the host's file selector. [ui-thread]
#pragma once

#include <cstdint>
#include <string>

#include "editor/FileSelectRequest.h"
#include "engine/Interfaces.h"
#include "storage/StorageResult.h"

namespace tarnwick {

// Where a recording load that runs without the editor waiting stands.
struct AudioLoadProgress {
  enum class Phase {
    kNone,      // none runs: none was started, or the instrument dropped it (a later session or bank)
    kRunning,   // percent (0..100) done
    kFinished,  // ended now with result; told once
  };
  Phase phase = Phase::kNone;
  int32_t percent = 0;
  StorageResult result = kStorageOk;
};

class EditorActions {
 public:
  virtual ~EditorActions() = default;
  // A note the wave display plays: it reaches the engine at the start of the next rendered block.
  // False when the instrument's note queue is full (the note is not played).
  virtual bool playNote(const MidiMessage& message) = 0;
  // The same message sent to the host (audioMasterProcessEvents).
  virtual void sendToHost(const MidiMessage& message) = 0;

  virtual StorageResult loadAudioFile(const char* path) = 0;
  // A load the editor does not wait for: false when the instrument offers none (loadAudioFile then).
  // A load started while another runs drops the other.
  virtual bool startAudioLoad(const char* /*path*/) { return false; }
  // Where the load started last stands; asked at every idle while it runs.
  virtual AudioLoadProgress pollAudioLoad() { return {}; }
  // The editor closes: a load still running is dropped and the instrument's loader ends.
  virtual void endAudioLoads() {}
  virtual StorageResult loadBank(const char* path) = 0;
  virtual StorageResult saveBank(const char* path) = 0;
  // Makes the last selected or played key the edit row again (after a recording was loaded).
  virtual void selectLastKey() = 0;
  virtual const char* bankFileName() = 0;
  virtual void setBankFileName(const char* path) = 0;
  // Puts path first in the recent bank files and writes the list; true when the list changed.
  virtual bool addRecentFile(const char* path) = 0;
  // Plays the recording at path through the instrument's output from its start, before it is loaded (the
  // file browser's preview); an empty path stops it.
  virtual void previewRecording(const char* /*path*/) {}

  // The host's own file selector: whether the host offers one, and a run of it (the host's dialog,
  // modal in the host): true with path when the user picked a file.
  virtual bool hostHasFileSelector() = 0;
  virtual bool runHostFileSelector(const FileSelectRequest& request, std::string& path) = 0;
};

}  // namespace tarnwick
