// A headless LV2 host for the instrument's bundle (through lilv): ports, the atom input with MIDI, tempo
// and patch messages, the state interface, the worker (run after each block, as a host's worker thread
// would between blocks) and the instance's editor through instance access.
#pragma once

#include <lv2/urid/urid.h>

#include <cstdarg>
#include <memory>
#include <string>
#include <vector>

#include "tools/hostlib/HostedInstrument.h"

namespace tarnwick::host {

class Lv2Host final : public HostedInstrument {
 public:
  // The first plug-in of the bundle folder; null with *error set.
  static std::unique_ptr<Lv2Host> load(const std::string& bundle, std::string* error);
  ~Lv2Host() override;
  Lv2Host(const Lv2Host&) = delete;
  Lv2Host& operator=(const Lv2Host&) = delete;

  void setSampleRate(float rate) override { sampleRate_ = rate; }
  void setBlockSize(int32_t frames) override;
  void setTempo(double bpm) override;
  void resume() override;  // instantiates (at the rate set) and activates
  void suspend() override;
  void close() override;

  void sendMidi(const std::vector<MidiMessage>& messages) override;
  void process(float* left, float* right, int32_t frames) override;

  std::vector<uint8_t> getChunk() override;
  bool setChunk(const std::vector<uint8_t>& record) override;
  bool recordingResult(bool& attempted, int32_t& result, std::string& message) override;

  int32_t parameterCount() override { return static_cast<int32_t>(controlIndices_.size()); }
  std::string parameterName(int32_t index) override;
  void setParameter(int32_t index, float value) override;
  float parameter(int32_t index) const;
  int32_t uniqueId() override { return 0; }

  intptr_t probeEditor(EditorProbeCommand command, EditorProbeRecord& record) override;
  bool setContentScale(double scale) override;

  // A patch:Set of a path property for the next block (the instrument's recording).
  void setPathProperty(const std::string& propertyUri, const std::string& path);
  // What the plug-in printed through the log feature.
  const std::vector<std::string>& logLines() const { return logLines_; }
  // The plug-in's URI and name, its port symbols and names (for info).
  std::string uri() const;
  std::string name() const;
  struct PortInfo {
    uint32_t index;
    std::string symbol, name, kind;
    float minimum, maximum, defaultValue;
  };
  std::vector<PortInfo> ports() const;
  std::vector<std::string> uiUris() const;

  LV2_URID map(const char* uri);
  // The instance's handle (what instance access gives a UI); null before resume.
  void* instanceHandle() const;
  static int logLine(void* handle, const char* format, va_list args);  // the log feature's

 private:
  struct Impl;
  explicit Lv2Host(std::unique_ptr<Impl> impl);
  void ensureInstance();
  void runWorker();

  std::unique_ptr<Impl> impl_;
  float sampleRate_ = 44100.0f;
  std::vector<uint32_t> controlIndices_;  // port index of host parameter n
  std::vector<std::string> logLines_;
};

}  // namespace tarnwick::host
