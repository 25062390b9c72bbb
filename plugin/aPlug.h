// The instrument as the host sees it: the effect record, the dispatcher's operations, and the two
// engines between which state changes hands without locks (docs/threads.md).
//
// The user-interface side (dispatcher, editor, storage, parameter writes from any thread that does
// not render) works on the model, an engine that never sounds, under uiLock_; every operation ends by
// shipping what it changed. The audio side (processEvents, processReplacing, parameter writes from
// the rendering thread) owns the playing engine; each block first applies what was shipped, and
// publishes the playing engine's state back when it changed. Reads on the audio thread come from the
// parameter mirror.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/Engine.h"
#include "engine/ParameterText.h"
#include "plugin/ArrayReclaimer.h"
#include "plugin/AudioPresence.h"
#include "plugin/ParameterMirror.h"
#include "plugin/SpscRing.h"
#include "plugin/StateHandoff.h"
#include "storage/ChunkRecord.h"
#include "storage/RecentFiles.h"
#include "storage/StorageResult.h"
#include "vst/VstInterface.h"

namespace tarnwick {

class EditorLink;
struct RecordingQueryRecord;

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

  // Session state and the recording (plugin/Session.cpp). [ui-thread]
  int32_t getChunk(void** data);
  int32_t setChunk(const void* data, intptr_t size);
  StorageResult loadAudioFile(const char* path);

  // Bank files (plugin/Bank.cpp). [ui-thread]
  StorageResult saveBank(const char* path);
  StorageResult loadBank(const char* path);
  // Applies a bank's state record: 1, or 0 when size is not the record's size.
  int32_t applyChunkRecord(const uint8_t* record, size_t size);

  // A note the editor auditions: queued for the render, which takes it at the start of its next block.
  // False when the queue is full. [ui-thread]
  bool playNote(const MidiMessage& message) { return uiNotes_.push(message); }
  // Makes the last selected or played key the edit row again. [ui-thread]
  void selectLastKey();

  // The recent bank files and the current bank's name, kept for the editor. [ui-thread]
  const RecentFiles& recentFiles() const { return recentFiles_; }
  bool addRecentFile(const char* path) { return recentFiles_.add(path); }
  const char* bankFileName() const { return bankFileName_; }
  void setBankFileName(const char* path) { copyText(bankFileName_, path ? path : "", sizeof bankFileName_); }

  // Parameter texts for the host (at most 8 characters and the terminator). [ui-thread]
  void getParameterName(int32_t index, char* text);
  void getParameterLabel(int32_t index, char* text);
  void getParameterDisplay(int32_t index, char* text);
  void getProgramName(char* text);
  void setProgramName(const char* text);
  bool getProgramNameIndexed(int32_t index, char* text);

  // The editor seam: both engines echo every parameter write here.
  void setEditor(EditorSink* editor);

  // HostTime: the host's tempo through audioMasterGetTime.
  bool readTempo(int32_t requestMask, double& bpm) override;

  // Blocks the audio side could not render (a second audio-side call came in while one was inside);
  // 0 under any user-interface traffic.
  uint64_t lostBlocks() const { return lostBlocks_.load(std::memory_order_relaxed); }
  // Writes on the audio thread that were dropped: internal indices, which only the editor writes.
  uint64_t droppedAudioWrites() const { return droppedWrites_.load(std::memory_order_relaxed); }

  // For tests and tools inside the process: the user-interface side's model, brought up to the
  // playing engine's state first (direct writes to it are shipped by the next operation), and the
  // playing engine (only while no other thread renders).
  const EngineState& modelState() { return modelForTesting().state(); }
  Engine& modelForTesting();
  Engine& playingEngineForTesting() { return live_; }
  EditorLink* editorLinkForTesting() { return editorLink_.get(); }

 private:
  friend class EditorLink;  // the editor's reads and the host callback on its behalf
  friend class UiScope;

  static constexpr size_t kMidiQueueCapacity = 4096;
  static constexpr size_t kUiNoteCapacity = 256;

  intptr_t callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  static bool onAudioThread();
  static void markAudioThread();    // the calling thread renders
  static void unmarkAudioThread();  // the calling thread runs the editor

  // User-interface side (uiLock_ held).
  void beginUiOperation();
  void endUiOperation();
  StorageResult loadAudioLocked(const char* path);
  // Tools' question about the last recording load (vst/RecordingQuery.h).
  intptr_t answerRecordingQuery(RecordingQueryRecord* record);
  StorageResult readRecording(const char* path);
  // After a rate change whose file cannot be read: the recording in memory converted to the new rate.
  bool convertRecordingInMemory();
  // Sets the notice about the recording (an empty path and 0: none); the editor is told through the serial.
  void setRecordingNotice(const std::string& missing, float convertedTo);
  // After a rate change: the recording read from a file is read again at the new rate. [ui-thread]
  void followRateChange();
  // Restores a parsed state record; reloadAudio reloads the recording from the stored path and
  // returns the recovery message for a failure (empty when there is none).
  std::string restoreSession(const ChunkImage& image, bool reloadAudio);

  // Audio side (inside audioPresence_).
  void takeShippedState();
  int32_t takeAuditionedNotes(MidiMessage* out, int32_t capacity);
  void publishPlayingState();

  AEffect effect_{};
  audioMasterCallback host_;
  std::unique_ptr<uint8_t[]> chunk_;  // the record handed to the host by getChunk

  // User-interface side.
  std::mutex uiLock_;
  Engine model_;
  std::unique_ptr<EngineState> shippedModel_;  // the model as last shipped (or rebased)
  ArrayReclaimer reclaimer_;
  RecentFiles recentFiles_;
  char bankFileName_[kPathCapacity] = "Tarnwick VSTi V1.0";
  std::atomic<float> hostSampleRate_{44100.0f};

  // Between the sides.
  StateHandoff handoff_;
  AudioPresence audioPresence_;
  ParameterMirror mirror_;
  SpscRing<MidiMessage, kMidiQueueCapacity> midiQueue_;  // the host's MIDI (processEvents)
  SpscRing<MidiMessage, kUiNoteCapacity> uiNotes_;       // the editor's auditioned notes
  // The last recording load, from a file or a session: -1 before any. [ui-thread]
  StorageResult lastRecordingResult_ = -1;
  // The working rate the recording from a file was converted to; 0 when it came from a bank. [ui-thread]
  float fileRecordingRate_ = 0.0f;
  // What the editor's status line tells about the recording until the next load: the path a restored
  // session named but could not read, and the rate the recording was converted to in memory after a
  // rate change because its file could not be read. [ui-thread, uiLock_] The serial counts their
  // changes (any thread).
  std::string missingRecording_;
  float convertedInMemoryTo_ = 0.0f;
  std::atomic<uint32_t> noticeSerial_{0};
  std::atomic<uint64_t> lostBlocks_{0};
  std::atomic<uint64_t> droppedWrites_{0};

  // Audio side.
  Engine live_;
  MidiMessage midiScratch_[kMidiQueueCapacity];
  bool liveChanged_ = false;

  std::unique_ptr<EditorLink> editorLink_;  // the editor and its link; null only if it could not be made
};

// One operation of the user-interface side: takes uiLock_, brings the model up to the audio side's
// state, and on leaving ships what the operation changed.
class UiScope {
 public:
  explicit UiScope(aPlug& plug) : plug_(plug), lock_(plug.uiLock_) { plug_.beginUiOperation(); }
  ~UiScope() { plug_.endUiOperation(); }
  UiScope(const UiScope&) = delete;
  UiScope& operator=(const UiScope&) = delete;

 private:
  aPlug& plug_;
  std::lock_guard<std::mutex> lock_;
};

}  // namespace tarnwick
