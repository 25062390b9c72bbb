// The instrument as the host sees it: the effect record, the dispatcher's operations and the
// hand-over between the host's user-interface thread and its audio thread (docs/threads.md).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/Engine.h"
#include "engine/ParameterText.h"
#include "plugin/SpscRing.h"
#include "plugin/VstInterface.h"
#include "storage/RecentFiles.h"
#include "storage/StorageResult.h"

namespace tarnwick {

struct ChunkImage;
class EditorLink;

class aPlug final : public HostTime {
 public:
  explicit aPlug(audioMasterCallback host);
  ~aPlug() override;
  aPlug(const aPlug&) = delete;
  aPlug& operator=(const aPlug&) = delete;

  AEffect* effect() { return &effect_; }
  static aPlug* fromEffect(AEffect* e) { return e ? static_cast<aPlug*>(e->object) : nullptr; }

  intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);  // [ui-thread]
  void setParameter(int32_t index, float value);                                             // [any-thread]
  float getParameter(int32_t index);                                                         // [any-thread]
  int32_t processEvents(const VstEvents* events);                                            // [audio-thread]
  void processReplacing(float** inputs, float** outputs, int32_t frames);                    // [audio-thread]
  void resume();                                                                             // [ui-thread]

  // Session state and the recording (plugin/Session.cpp).
  int32_t getChunk(void** data);                      // [ui-thread]
  int32_t setChunk(const void* data, intptr_t size);  // [ui-thread]
  StorageResult loadAudioFile(const char* path);      // [ui-thread]

  // Bank files (plugin/Bank.cpp).
  StorageResult saveBank(const char* path);  // [ui-thread]
  StorageResult loadBank(const char* path);  // [ui-thread]
  // Applies a bank's state record: 1, or 0 when size is not the record's size. [ui-thread]
  int32_t applyChunkRecord(const uint8_t* record, size_t size);

  // The recent bank files and the current bank's name, kept for the editor. [ui-thread]
  const RecentFiles& recentFiles() const { return recentFiles_; }
  bool addRecentFile(const char* path) { return recentFiles_.add(path); }
  const char* bankFileName() const { return bankFileName_; }
  void setBankFileName(const char* path) { copyText(bankFileName_, path ? path : "", sizeof bankFileName_); }

  // Parameter texts for the host (at most 8 characters and the terminator).
  void getParameterName(int32_t index, char* text);
  void getParameterLabel(int32_t index, char* text);
  void getParameterDisplay(int32_t index, char* text);
  void getProgramName(char* text);
  void setProgramName(const char* text);
  bool getProgramNameIndexed(int32_t index, char* text);

  // The editor seam: the engine echoes every parameter write here.
  void setEditor(EditorSink* editor);

  // HostTime: the host's tempo through audioMasterGetTime.
  bool readTempo(int32_t requestMask, double& bpm) override;

  // For tests and tools inside the process.
  Engine& engineForTesting() { return engine_; }
  EditorLink* editorLinkForTesting() { return editorLink_.get(); }

 private:
  friend class EditorLink;  // the editor's reads and the host callback on its behalf

  struct ParamWrite {
    int32_t index;
    float value;
  };
  static constexpr size_t kMidiQueueCapacity = 4096;
  static constexpr size_t kParamQueueCapacity = 1024;

  intptr_t callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  static bool onAudioThread();
  static void markAudioThread();
  void applyQueuedParams();                         // engine lock held
  void refreshMirror();                             // engine lock held
  void floodOn(float value);                        // ui lock held, engine lock not held
  void freeDiscarded();                             // no lock needed: the arrays are no longer reachable
  StorageResult loadAudioLocked(const char* path);  // ui lock held
  // Restores a parsed state record (host chunk, or the record inside a bank); ui lock held.
  // reloadAudio: reload the recording from the stored path and report a failure in a message box.
  void applyChunkImage(const ChunkImage& image, bool reloadAudio);

  AEffect effect_{};
  std::unique_ptr<uint8_t[]> chunk_;  // the record handed to the host by getChunk
  audioMasterCallback host_;
  Engine engine_;
  std::mutex uiLock_;      // serialises the user-interface thread's operations
  std::mutex engineLock_;  // guards engine_; the audio thread only ever try-locks it
  SpscRing<MidiMessage, kMidiQueueCapacity> midiQueue_;
  SpscRing<ParamWrite, kParamQueueCapacity> paramQueue_;
  std::atomic<float> mirror_[kHostParamCount];  // host parameter values for reads that cannot lock
  MidiMessage midiScratch_[kMidiQueueCapacity];
  float hostSampleRate_ = 44100.0f;
  int32_t blockSize_ = 1024;
  bool hostProcessing_ = false;
  EditorSink* editor_ = nullptr;
  std::atomic<uint32_t> droppedEvents_{0};
  RecentFiles recentFiles_;
  char bankFileName_[kPathCapacity] = "Tarnwick VSTi V1.0";
  std::unique_ptr<EditorLink> editorLink_;  // the editor and its link; null only if it could not be made
};

}  // namespace tarnwick
