// The instrument, whatever plug-in format carries it: the two engines between which state changes hands
// without locks (docs/threads.md), the session, bank and recording services, and the editor's link.
// A format's adapter calls the entry points below from the thread each names and fills HostServices.
//
// The main-thread side (texts, state, loads, the editor) works on the model, an engine that never
// sounds, under uiLock_; every operation ends by shipping what it changed. The audio side (process,
// automate) owns the playing engine; each block first applies what was shipped and the host parameter
// writes posted since, and publishes the playing engine's state back when it changed. Reads from any
// thread come from the parameter mirror.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/ArrayReclaimer.h"
#include "core/AudioPresence.h"
#include "core/HostServices.h"
#include "core/InternalWriteQueue.h"
#include "core/ParameterInbox.h"
#include "core/ParameterMirror.h"
#include "core/PreviewVoice.h"
#include "core/RecordingLoader.h"
#include "core/SpscRing.h"
#include "core/StateHandoff.h"
#include "engine/Engine.h"
#include "engine/ParameterText.h"
#include "storage/ChunkRecord.h"
#include "storage/RecentFiles.h"
#include "storage/StorageResult.h"

namespace tarnwick {

class EditorLink;

// What the last recording load did, for tools that ask.
struct RecordingStatus {
  bool attempted = false;  // a load from a file or a session was tried
  StorageResult lastResult = kStorageOk;
  int32_t frameCount = 0;
};

// Where the editor's recording load stands.
struct RecordingLoadState {
  enum class Phase {
    kNone,      // none was started, or it was dropped (a later load, a session, a bank or a host's load)
    kRunning,   // reading or converting: permille tells how far
    kFinished,  // ended now with result (the recording is in place on success); told once
  };
  Phase phase = Phase::kNone;
  int32_t permille = 0;
  StorageResult result = kStorageOk;
};

class Instrument final : public HostTime {
 public:
  explicit Instrument(HostServices& host);
  ~Instrument() override;
  Instrument(const Instrument&) = delete;
  Instrument& operator=(const Instrument&) = delete;

  // ---- Main thread: parameters and their texts (texts at most 8 characters and the terminator).
  void setParameter(int32_t index, float value);  // [main-thread]
  float getParameter(int32_t index);              // [main-thread]
  void getParameterName(int32_t index, char* text);
  void getParameterLabel(int32_t index, char* text);
  void getParameterDisplay(int32_t index, char* text);
  void getProgramName(char* text);
  void setProgramName(const char* text);
  bool getProgramNameIndexed(int32_t index, char* text);

  // ---- Main thread: the host's start-up. The rate may be set from any thread; resume takes it.
  void setSampleRate(float rate);  // [any-thread]
  void resume();                   // [main-thread]

  // ---- Main thread: session state and the recording (core/InstrumentSession.cpp).
  // The session record (kChunkSize bytes), valid until the next call.
  const uint8_t* saveState(size_t& size);
  // Restores a session record; a record that cannot be read, or a recording that cannot be loaded, is
  // told to the user (HostServices::notify) and the rest of the session still restored. A negative size counts as a
  // record that cannot be read.
  void restoreState(const void* data, int64_t size);
  // Loads the recording at path and returns when it is in place (or refused). A load the editor started
  // is dropped first, so this one wins.
  StorageResult loadAudioFile(const char* path);
  RecordingStatus recordingStatus();

  // ---- Main thread: the editor's recording loads (core/InstrumentEditorLoad.cpp), read and converted
  // on the loader's thread so that the user-interface thread keeps running; the recording is installed
  // whole, under uiLock_, by the poll that finds the load finished.
  // Starts loading path and returns at once; a load running before is dropped.
  void startAudioLoad(const char* path);
  RecordingLoadState pollAudioLoad();
  // Drops the editor's load and ends the loader's thread (the editor closes).
  void endAudioLoads();

  // ---- Main thread: bank files (core/InstrumentBank.cpp).
  StorageResult saveBank(const char* path);
  StorageResult loadBank(const char* path);
  // Applies a bank's state record: 1, or 0 when size is not the record's size.
  int32_t applyChunkRecord(const uint8_t* record, size_t size);

  // ---- Main thread: what the editor asks besides parameters.
  // A note the editor auditions: queued for the render, which takes it at the start of its next block.
  // False when the queue is full.
  bool playNote(const MidiMessage& message) { return uiNotes_.push(message); }
  // Makes the last selected or played key the edit row again.
  void selectLastKey();
  // The file browser's preview of a recording, mixed into the output from its start at the working rate;
  // an empty path stops it.
  void previewRecording(const char* path);
  const PreviewVoice& preview() const { return preview_; }
  const RecentFiles& recentFiles() const { return recentFiles_; }
  bool addRecentFile(const char* path) { return recentFiles_.add(path); }
  const char* bankFileName() const { return bankFileName_; }
  void setBankFileName(const char* path) { copyText(bankFileName_, path ? path : "", sizeof bankFileName_); }
  // The editor and its link; null only if they could not be made.
  EditorLink* editorLink() { return editorLink_.get(); }
  HostServices& host() { return host_; }

  // ---- Any thread.
  // A parameter write whose thread the caller cannot know (a VST 2.4 host's setParameter). A host
  // parameter is posted: readers see it at once, each engine applies it at its next operation. An
  // internal index is not a host parameter (only the editor and tools write them, on the main thread):
  // it runs as a main-thread operation at once when no other thread is inside one, else it waits, in
  // order, for the next.
  void postParameter(int32_t index, float value);
  // The value getParameter would return, from atomics; the peak level is read and cleared.
  float readParameter(int32_t index);

  // ---- Audio thread.
  // A MIDI message for the next block (deltaFrames into it); false when the queue is full.
  bool queueMidi(const MidiMessage& message) { return midiQueue_.push(message); }
  // A host parameter change the host delivers with the coming block (an LV2 control port).
  void automate(int32_t index, float value);
  // Renders one block into both outputs, after the shipped state, the posted writes and the queued MIDI.
  void process(float* outL, float* outR, int32_t frames);

  // HostTime: the host's tempo through HostServices. [audio-thread]
  bool readTempo(int32_t requestMask, double& bpm) override { return host_.tempo(requestMask, bpm); }

  // Blocks the audio side could not render (a second audio-side call came in while one was inside).
  uint64_t lostBlocks() const { return lostBlocks_.load(std::memory_order_relaxed); }
  // Writes that were dropped: internal indices while their queue was full, or written on the audio side.
  uint64_t droppedWrites() const { return droppedWrites_.load(std::memory_order_relaxed); }

  // For tests and tools inside the process: the main thread's model, brought up to the playing engine's
  // state first (direct writes to it are shipped by the next operation), and the playing engine (only
  // while no other thread renders).
  const EngineState& modelState() { return modelForTesting().state(); }
  Engine& modelForTesting();
  Engine& playingEngineForTesting() { return live_; }
  // The editor seam: both engines echo every parameter write here. Only while nothing renders.
  void setEditor(EditorSink* editor);

 private:
  friend class EditorLink;  // the editor's reads
  friend class UiScope;

  static constexpr size_t kMidiQueueCapacity = 4096;
  static constexpr size_t kUiNoteCapacity = 256;

  // Main-thread side (uiLock_ held).
  void beginUiOperation();
  void endUiOperation();
  void takePostedWrites();
  StorageResult loadAudioLocked(const char* path);
  // The rate of the conversion band recordings are converted to now.
  uint32_t workingRate() const;
  // Puts a recording read to the side in place (result kStorageOk) and notes the load's result.
  // playable and wave as RecordingLoader::Result gives them.
  void installRecording(StorageResult result, ChannelPair&& audio, const char* path, bool playable = false,
                        std::shared_ptr<const WaveSummary> wave = nullptr);
  // After a rate change whose file cannot be read: the recording in memory converted to the new rate.
  bool convertRecordingInMemory();
  // Sets the notice about the recording (an empty path and 0: none); the editor is told through the serial.
  void setRecordingNotice(const std::string& missing, float convertedTo);
  // After a rate change: the recording read from a file is read again at the new rate.
  void followRateChange();
  // Restores a parsed state record; reloadAudio reloads the recording from the stored path and
  // returns the recovery message for a failure (empty when there is none).
  std::string restoreSession(const ChunkImage& image, bool reloadAudio);
  bool userAgrees(const char* title, const char* text);

  // Audio side (inside audioPresence_).
  void takeShippedState();
  int32_t takeAuditionedNotes(MidiMessage* out, int32_t capacity);
  void publishPlayingState();

  HostServices& host_;
  std::unique_ptr<uint8_t[]> chunk_;  // the record handed out by saveState

  // Main-thread side.
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
  ParameterInbox inbox_;                                 // host parameter writes from an unknown thread
  InternalWriteQueue internalWrites_;                    // internal index writes from an unknown thread
  SpscRing<MidiMessage, kMidiQueueCapacity> midiQueue_;  // the host's MIDI
  SpscRing<MidiMessage, kUiNoteCapacity> uiNotes_;       // the editor's auditioned notes
  PreviewVoice preview_;                                 // the file browser's recording, before it is loaded
  // The last recording load, from a file or a session: -1 before any. [main-thread]
  StorageResult lastRecordingResult_ = -1;
  // The working rate the recording from a file was converted to; 0 when it came from a bank. [main-thread]
  float fileRecordingRate_ = 0.0f;
  // What the editor's status line tells about the recording until the next load: the path a restored
  // session named but could not read, and the rate the recording was converted to in memory after a
  // rate change because its file could not be read. [main-thread, uiLock_] The serial counts their
  // changes (any thread).
  std::string missingRecording_;
  float convertedInMemoryTo_ = 0.0f;
  std::atomic<uint32_t> noticeSerial_{0};
  // The wave display's peaks of the stored recording of buffer generation waveGeneration_ (not of a
  // flood): a recording is summarised once, by the loader's thread for the editor's loads. [uiLock_]
  std::shared_ptr<const WaveSummary> wave_;
  uint32_t waveGeneration_ = 0;
  std::atomic<uint64_t> lostBlocks_{0};
  std::atomic<uint64_t> droppedWrites_{0};

  // Audio side.
  Engine live_;
  MidiMessage midiScratch_[kMidiQueueCapacity];
  bool liveChanged_ = false;

  std::unique_ptr<EditorLink> editorLink_;
  // The editor's loads; its thread touches nothing of the instrument's.
  RecordingLoader loader_;
};

// One operation of the main-thread side: takes uiLock_, brings the model up to the audio side's state
// and the writes posted since, and on leaving ships what the operation changed. The try_to_lock form
// runs the operation only when no other thread is inside one (owns()).
class UiScope {
 public:
  explicit UiScope(Instrument& instrument) : instrument_(instrument), lock_(instrument.uiLock_) {
    instrument_.beginUiOperation();
  }
  UiScope(Instrument& instrument, std::try_to_lock_t)
      : instrument_(instrument), lock_(instrument.uiLock_, std::try_to_lock) {
    if (owns()) instrument_.beginUiOperation();
  }
  ~UiScope() {
    if (owns()) instrument_.endUiOperation();
  }
  UiScope(const UiScope&) = delete;
  UiScope& operator=(const UiScope&) = delete;
  bool owns() const { return lock_.owns_lock(); }

 private:
  Instrument& instrument_;
  std::unique_lock<std::mutex> lock_;
};

}  // namespace tarnwick
