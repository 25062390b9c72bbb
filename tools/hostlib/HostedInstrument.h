// What tarnwick-host's commands need of an instrument, whatever its format: the VST 2.4 plug-in
// (PluginHost) or the LV2 bundle (Lv2Host). loadInstrument picks the format from the path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/EditorProbe.h"
#include "tools/hostlib/HostLog.h"
#include "tools/hostlib/PluginHost.h"

namespace tarnwick::host {

class HostedInstrument {
 public:
  virtual ~HostedInstrument() = default;

  // Settings before resume; the tempo may change between blocks.
  virtual void setSampleRate(float rate) = 0;
  virtual void setBlockSize(int32_t frames) = 0;
  virtual void setTempo(double bpm) = 0;
  virtual void resume() = 0;
  virtual void suspend() = 0;
  virtual void startProcess() {}
  virtual void stopProcess() {}
  virtual void close() = 0;

  // MIDI for the next block, and a block of at most the block size.
  virtual void sendMidi(const std::vector<MidiMessage>& messages) = 0;
  virtual void process(float* left, float* right, int32_t frames) = 0;

  // The session record (the VST chunk's bytes; an LV2 state's session property); setChunk false when
  // refused.
  virtual std::vector<uint8_t> getChunk() = 0;
  virtual bool setChunk(const std::vector<uint8_t>& record) = 0;
  // How the last recording load went: false when unknown; else attempted, its result code and text.
  virtual bool recordingResult(bool& attempted, int32_t& result, std::string& message) = 0;

  // Host parameters: count, names, writes (LV2: the control ports).
  virtual int32_t parameterCount() = 0;
  virtual std::string parameterName(int32_t index) = 0;
  virtual void setParameter(int32_t index, float value) = 0;
  // The VST unique ID (whose plug-in has the instrument's options: internal indices beyond the host
  // parameters); 0 for a format without one.
  virtual int32_t uniqueId() = 0;

  // The host's file selector, where the format has one (VST): see PluginHost::offerFileSelector.
  virtual void offerFileSelector(std::vector<std::string> /*answers*/) {}
  virtual std::vector<PluginHost::FileSelectorRequest> fileSelectorRequests() { return {}; }

  // The headless editor probe; the host's content scale for the editor (false when not taken).
  virtual intptr_t probeEditor(EditorProbeCommand command, EditorProbeRecord& record) = 0;
  virtual bool setContentScale(double scale) = 0;
};

// An LV2 bundle: a folder holding manifest.ttl.
bool isLv2Bundle(const std::string& path);

// The VST plug-in (a library) or the LV2 instrument (a bundle folder); null with *error set.
std::unique_ptr<HostedInstrument> loadInstrument(const std::string& path, std::string* error);

}  // namespace tarnwick::host
