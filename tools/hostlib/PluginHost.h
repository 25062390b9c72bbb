// A headless VST 2.4 host for one plug-in instance: loads the library and drives the effect as a host does.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "tools/hostlib/HostLog.h"
#include "vst/VstInterface.h"

namespace tarnwick::host {

class PluginHost {
 public:
  // Text placed in string buffers before a request, so that a reply that leaves the buffer alone shows.
  static constexpr const char* kUntouched = "<untouched>";
  // Answer to audioMasterGetVendorString and audioMasterGetProductString.
  static constexpr const char* kHostName = "Tarnwick test host";
  static constexpr std::size_t kStringBufferSize = 256;

  // Loads the library, calls its entry (VSTPluginMain, else main) and sends effOpen. Null with *error set
  // when the library, the entry or the effect is missing or the effect's magic is wrong. versionAnswer is
  // what the host answers to audioMasterVersion (0 makes a well-behaved plug-in refuse to load).
  static std::unique_ptr<PluginHost> load(const std::string& soPath, std::string* error,
                                          int32_t versionAnswer = kVstVersion);

  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Sends effClose, then unloads the library; effect() is null afterwards. Safe to call twice.
  void close();
  AEffect* effect() const { return effect_; }
  bool isOpen() const { return effect_ != nullptr; }

  // Raw dispatcher call; 0 when nothing is loaded.
  intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);

  // Host settings; the sample-rate and block-size setters also tell the plug-in.
  void setSampleRate(float rate);
  void setBlockSize(int32_t frames);
  float sampleRate() const { return sampleRate_.load(); }
  int32_t blockSize() const { return blockSize_.load(); }
  void setTempo(double bpm) { tempo_.store(bpm); }
  double tempo() const { return tempo_.load(); }
  // false: audioMasterGetTime answers null.
  void setTimeInfoAvailable(bool available) { timeInfoAvailable_.store(available); }
  // What audioMasterCanDo answers for text (0 for texts never set).
  void setCanDoAnswer(const std::string& text, int32_t answer);

  // The host's file selector: canDo "openFileSelector" and "closeFileSelector" answer 1, and each
  // audioMasterOpenFileSelector takes the next of the answers (a cancel once none is left). An answer
  // longer than the plug-in's buffer holds is refused as a cancel, never cut.
  void offerFileSelector(std::vector<std::string> answers);
  // What the plug-in asked of the selector, one record per request.
  struct FileSelectorRequest {
    int32_t command = 0;
    std::string title;
    std::vector<std::string> fileTypes;  // "name|dosType" of each type
    std::string refusedAnswer;           // the answer that did not fit the plug-in's buffer
  };
  std::vector<FileSelectorRequest> fileSelectorRequests() const;

  const HostLog& log() const { return log_; }
  HostLog& log() { return log_; }

  void resume() { dispatch(effMainsChanged, 0, 1); }
  void suspend() { dispatch(effMainsChanged, 0, 0); }
  void startProcess() { dispatch(effStartProcess); }
  void stopProcess() { dispatch(effStopProcess); }

  // [audio-thread] Delivers the messages as one VstEvents list of VstMidiEvent records (effProcessEvents).
  void sendMidi(const std::vector<MidiMessage>& messages);
  // [audio-thread] processReplacing with zeroed inputs into left and right (frames samples each).
  void process(float* left, float* right, int32_t frames);

  float getParameter(int32_t index) const;
  void setParameter(int32_t index, float value);
  std::string parameterName(int32_t index) { return dispatchString(effGetParamName, index, kUntouched); }
  std::string parameterDisplay(int32_t index) { return dispatchString(effGetParamDisplay, index, kUntouched); }
  std::string parameterLabel(int32_t index) { return dispatchString(effGetParamLabel, index, kUntouched); }
  std::string programName() { return dispatchString(effGetProgramName, 0, kUntouched); }
  std::string effectName() { return dispatchString(effGetEffectName, 0, kUntouched); }
  std::string vendorString() { return dispatchString(effGetVendorString, 0, kUntouched); }
  std::string productString() { return dispatchString(effGetProductString, 0, kUntouched); }

  // Sends a text request with a kStringBufferSize buffer holding prefill (rest filled with a non-text byte)
  // and returns the text found there. *bytesWritten receives the extent of the bytes the plug-in changed:
  // the offset of the last changed byte plus one, so a written terminator counts.
  std::string dispatchString(int32_t opcode, int32_t index, const std::string& prefill,
                             int32_t* bytesWritten = nullptr);

  int32_t canDo(const std::string& text);
  // The plug-in fills props as it likes; false when it answers 0 for this pin.
  bool pinProperties(bool output, int32_t index, VstPinProperties& props);

  // The plug-in's chunk (a copy), or empty when it answers none.
  std::vector<uint8_t> getChunk(bool preset);
  intptr_t setChunk(const std::vector<uint8_t>& data, bool preset);
  intptr_t setChunk(const void* data, std::size_t size, bool preset);

 private:
  explicit PluginHost(int32_t versionAnswer);

  static intptr_t VSTCALLBACK hostCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                           float opt);
  intptr_t answer(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
  intptr_t answerTime(int32_t mask);
  intptr_t openFileSelector(VstFileSelect* select);
  intptr_t closeFileSelector(VstFileSelect* select);
  void recordEvents(const VstEvents* events);
  int32_t canDoAnswer(const std::string& text) const;

  platform::DynamicLibrary library_;
  AEffect* effect_ = nullptr;
  const int32_t versionAnswer_;

  // Read by the callback on the plug-in's threads.
  std::atomic<float> sampleRate_{44100.0f};
  std::atomic<int32_t> blockSize_{1024};
  std::atomic<double> tempo_{120.0};
  std::atomic<bool> timeInfoAvailable_{true};
  std::atomic<int64_t> samplePosition_{0};
  mutable std::mutex canDoMutex_;
  mutable std::mutex selectorMutex_;
  bool selectorOffered_ = false;
  std::vector<std::string> selectorAnswers_;
  std::vector<FileSelectorRequest> selectorRequests_;
  std::vector<std::unique_ptr<char[]>> selectorPaths_;  // returned where the plug-in gave no buffer
  std::map<std::string, int32_t> canDoAnswers_;
  HostLog log_;

  // Owned by the thread that calls sendMidi / process.
  std::vector<VstMidiEvent> midiEvents_;
  std::vector<uint64_t> eventListStorage_;
  std::vector<std::vector<float>> inputChannels_;
  std::vector<std::vector<float>> extraOutputs_;
  std::vector<float*> inputPointers_;
  std::vector<float*> outputPointers_;
};

}  // namespace tarnwick::host
