// Thread-safe record of the plug-in's host requests.
#include "tools/hostlib/HostLog.h"

namespace tarnwick::host {

void HostLog::noteGetTime(int32_t mask) {
  lastTimeMask_.store(mask);
  getTimeCount_.fetch_add(1);
}

void HostLog::noteAutomate(int32_t index, float value) {
  std::lock_guard lock(mutex_);
  automation_.push_back({index, value});
}

void HostLog::noteEdit(int32_t index, bool begin) {
  std::lock_guard lock(mutex_);
  edits_.push_back({index, begin});
}

void HostLog::noteMidi(const MidiMessage& message) {
  std::lock_guard lock(mutex_);
  midi_.push_back(message);
}

void HostLog::noteCanDo(const std::string& text) {
  std::lock_guard lock(mutex_);
  canDoQueries_.push_back(text);
}

std::vector<AutomationRecord> HostLog::automation() const {
  std::lock_guard lock(mutex_);
  return automation_;
}

std::vector<EditRecord> HostLog::edits() const {
  std::lock_guard lock(mutex_);
  return edits_;
}

std::vector<MidiMessage> HostLog::receivedMidi() const {
  std::lock_guard lock(mutex_);
  return midi_;
}

std::vector<std::string> HostLog::canDoQueries() const {
  std::lock_guard lock(mutex_);
  return canDoQueries_;
}

void HostLog::clear() {
  wantMidiCount_.store(0);
  getTimeCount_.store(0);
  lastTimeMask_.store(0);
  idleCount_.store(0);
  std::lock_guard lock(mutex_);
  automation_.clear();
  edits_.clear();
  midi_.clear();
  canDoQueries_.clear();
}

}  // namespace tarnwick::host
