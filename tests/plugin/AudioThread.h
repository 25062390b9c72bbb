// A thread that stands in for the host's audio thread in in-process tests: it runs one job at a time
// while the test waits, so the test's own thread stays the user-interface thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/Interfaces.h"
#include "plugin/aPlug.h"

namespace tarnwick::test {

class AudioThread {
 public:
  AudioThread() : thread_([this] { loop(); }) {}
  ~AudioThread() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  AudioThread(const AudioThread&) = delete;
  AudioThread& operator=(const AudioThread&) = delete;

  // Runs job on the audio thread and returns when it is done.
  void run(std::function<void()> job) {
    std::unique_lock<std::mutex> lock(mutex_);
    job_ = std::move(job);
    wake_.notify_all();
    wake_.wait(lock, [this] { return !job_; });
  }

  // Delivers the messages (sample offsets in the block) and renders one block of frames.
  void play(aPlug& plug, const std::vector<MidiMessage>& messages, int32_t frames = 64) {
    run([&] {
      std::vector<VstMidiEvent> events(messages.size());
      std::vector<VstEvent*> pointers(messages.size() + 2, nullptr);
      for (size_t i = 0; i < messages.size(); ++i) {
        events[i] = VstMidiEvent{};
        events[i].type = kVstMidiType;
        events[i].byteSize = sizeof(VstMidiEvent);
        events[i].deltaFrames = messages[i].deltaFrames;
        events[i].midiData[0] = static_cast<char>(messages[i].status);
        events[i].midiData[1] = static_cast<char>(messages[i].data1);
        events[i].midiData[2] = static_cast<char>(messages[i].data2);
        pointers[i] = reinterpret_cast<VstEvent*>(&events[i]);
      }
      std::vector<uint8_t> list(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
      auto* header = reinterpret_cast<VstEvents*>(list.data());
      header->numEvents = static_cast<int32_t>(messages.size());
      for (size_t i = 0; i < messages.size(); ++i) header->events[i] = pointers[i];
      plug.processEvents(header);
      left.assign(static_cast<size_t>(frames), 0.0f);
      right.assign(static_cast<size_t>(frames), 0.0f);
      float* outs[2] = {left.data(), right.data()};
      plug.processReplacing(nullptr, outs, frames);
    });
  }

  // The last block play() rendered.
  std::vector<float> left, right;

 private:
  void loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return job_ || quit_; });
      if (quit_) return;
      job_();
      job_ = nullptr;
      wake_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::function<void()> job_;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace tarnwick::test
