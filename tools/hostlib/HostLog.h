// What a loaded plug-in asked of the host through its callback, recorded for tests and tools.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace tarnwick::host {

struct MidiMessage {
  int32_t deltaFrames;
  uint8_t status;
  uint8_t data1;
  uint8_t data2;
};

struct AutomationRecord {
  int32_t index;
  float value;
};

struct EditRecord {
  int32_t index;
  bool begin;  // true for audioMasterBeginEdit, false for audioMasterEndEdit
};

// Written by the host callback on whatever thread the plug-in calls from, read by any thread.
class HostLog {
 public:
  // [any-thread] recording, called from the host callback
  void noteWantMidi() { wantMidiCount_.fetch_add(1); }
  void noteGetTime(int32_t mask);
  void noteIdle() { idleCount_.fetch_add(1); }
  void noteAutomate(int32_t index, float value);
  void noteEdit(int32_t index, bool begin);
  void noteMidi(const MidiMessage& message);
  void noteCanDo(const std::string& text);

  // [any-thread] reading; the lists are copies taken under the lock
  int32_t wantMidiCount() const { return wantMidiCount_.load(); }
  int32_t getTimeCount() const { return getTimeCount_.load(); }
  int32_t lastTimeMask() const { return lastTimeMask_.load(); }
  int32_t idleCount() const { return idleCount_.load(); }
  std::vector<AutomationRecord> automation() const;
  std::vector<EditRecord> edits() const;
  std::vector<MidiMessage> receivedMidi() const;
  std::vector<std::string> canDoQueries() const;

  void clear();

 private:
  std::atomic<int32_t> wantMidiCount_{0};
  std::atomic<int32_t> getTimeCount_{0};
  std::atomic<int32_t> lastTimeMask_{0};
  std::atomic<int32_t> idleCount_{0};

  mutable std::mutex mutex_;
  std::vector<AutomationRecord> automation_;
  std::vector<EditRecord> edits_;
  std::vector<MidiMessage> midi_;
  std::vector<std::string> canDoQueries_;
};

}  // namespace tarnwick::host
