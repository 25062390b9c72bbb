// What the editor reads of the instrument besides parameter values: the edit row, the live note state,
// a summary of the recording for the wave display, the copy buffer and the recent bank files.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Constants.h"

namespace tarnwick {

inline constexpr int32_t kWaveColumns = 530;  // the wave display's width in pixels

// One key row as the editor shows it.
struct RowSnapshot {
  float delayValue[kGrainCount] = {};
  float unitDura = 0.0f;
  float release = 0.0f;
  float envelope = 0.0f;
};

// Values the editor polls on every idle; cheap to read (atomics and the model, never the audio side).
struct LiveState {
  int32_t editRow = 0;
  int32_t playingGrain = 0;
  float keySplitStart = 0.0f;  // buffer offset of the last played key's slice (frames)
  float grainLength = 0.0f;    // grain length of the row being played or edited (frames)
  float morph = 0.0f;
  bool busy = false;
  int32_t keyCount = 128;  // the keyboard mapping
  int32_t lowKey = 0;
};

// The recording reduced to the wave display's columns: the largest magnitude of each channel's samples
// that fall into each column. Made on the user-interface side, so the display never reads the sample arrays.
struct WaveSummary {
  bool present = false;  // a recording with both channels is loaded
  float length = 0.0f;   // frameCountF
  int32_t keyCount = 128;
  int32_t lowKey = 0;
  float grainLength = 0.0f;
  float peakLeft[kWaveColumns] = {};
  float peakRight[kWaveColumns] = {};
};

// Fills the peaks of summary from the channel arrays (frames samples each, the guard sample not counted):
// column x takes the samples that fit before the accumulated pixel fraction reaches 1, in single precision,
// never reading past the last frame.
void summariseWave(const float* left, const float* right, int32_t frames, float length, WaveSummary& summary);

// What the status line tells about the recording and the bank.
struct StorageSummary {
  std::string bankFileName;
  std::string audioFileName;
  int32_t frameCount = 0;
  float sampleRate = 44100.0f;
  bool saved = true;
  // What the status line tells about the recording until the next load: the path a restored session
  // named but whose recording could not be read (empty when none), and the rate the recording in memory
  // was converted to because its file could not be read again after a rate change (0 when not).
  std::string missingRecording;
  float convertedInMemoryTo = 0.0f;
};

// Implemented by the instrument. [ui-thread] unless marked.
class EditorModel {
 public:
  virtual ~EditorModel() = default;
  // Brings the instrument up to date before an idle shows anything: host writes posted from other threads
  // take effect and echo their values to the editor.
  virtual void catchUp() {}
  // The values the editor polls on every idle.
  virtual void readLive(LiveState& live) = 0;
  // [any-thread] The output's largest magnitude since the last read, cleared by the same atomic exchange.
  virtual float readPeakLevel() = 0;
  // Copies a key row (0..128).
  virtual void readRow(int32_t row, RowSnapshot& snapshot) = 0;
  // Summarises the recording now playing.
  virtual void readWave(WaveSummary& summary) = 0;
  // Copies the ten copy-buffer slots.
  virtual void readCopyBuffer(float slots[kCopySlots][kGrainCount]) = 0;
  // Entry 0..19 of the recent bank files ("" when empty).
  virtual const char* recentFile(int32_t index) = 0;
  // The instrument's display and label texts of a parameter (at most 8 characters; text holds 24).
  virtual void parameterDisplay(int32_t index, char* text) = 0;
  virtual void parameterLabel(int32_t index, char* text) = 0;
  virtual void readStorageSummary(StorageSummary& summary) = 0;
  // Changes whenever the summary's notice about the recording changes; cheap (no lock).
  virtual uint32_t recordingNoticeSerial() { return 0; }
};

}  // namespace tarnwick
