#include "tools/hostlib/HostedInstrument.h"

#include <filesystem>

#include "platform/Paths.h"

#if defined(TARNWICK_HOST_LV2)
#include "tools/hostlib/Lv2Host.h"
#endif
#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"
#include "vst/RecordingQuery.h"

namespace tarnwick::host {
namespace {

class VstInstrument final : public HostedInstrument {
 public:
  explicit VstInstrument(std::unique_ptr<PluginHost> host) : host_(std::move(host)) {}

  void setSampleRate(float rate) override { host_->setSampleRate(rate); }
  void setBlockSize(int32_t frames) override { host_->setBlockSize(frames); }
  void setTempo(double bpm) override { host_->setTempo(bpm); }
  void resume() override { host_->resume(); }
  void suspend() override { host_->suspend(); }
  void startProcess() override { host_->startProcess(); }
  void stopProcess() override { host_->stopProcess(); }
  void close() override { host_->close(); }
  void sendMidi(const std::vector<MidiMessage>& messages) override { host_->sendMidi(messages); }
  void process(float* left, float* right, int32_t frames) override { host_->process(left, right, frames); }
  std::vector<uint8_t> getChunk() override { return host_->getChunk(false); }
  bool setChunk(const std::vector<uint8_t>& record) override { return host_->setChunk(record, false) != 0; }
  bool recordingResult(bool& attempted, int32_t& result, std::string& message) override {
    RecordingQueryRecord record;
    if (host_->dispatch(effVendorSpecific, kRecordingQueryIndex, 0, &record) != 1) return false;
    record.message[sizeof record.message - 1] = '\0';
    attempted = record.attempted != 0;
    result = record.lastResult;
    message = record.message;
    return true;
  }
  int32_t parameterCount() override { return host_->effect() ? host_->effect()->numParams : 0; }
  std::string parameterName(int32_t index) override { return host_->parameterName(index); }
  void setParameter(int32_t index, float value) override { host_->setParameter(index, value); }
  int32_t uniqueId() override { return host_->effect() ? host_->effect()->uniqueID : 0; }
  void offerFileSelector(std::vector<std::string> answers) override { host_->offerFileSelector(std::move(answers)); }
  std::vector<PluginHost::FileSelectorRequest> fileSelectorRequests() override { return host_->fileSelectorRequests(); }
  intptr_t probeEditor(EditorProbeCommand command, EditorProbeRecord& record) override {
    return host_->dispatch(effVendorSpecific, kEditorProbeIndex, command, &record);
  }
  bool setContentScale(double scale) override {
    return host_->dispatch(effVendorSpecific, kContentScaleIndex, kContentScaleValue, nullptr,
                           static_cast<float>(scale)) == 1;
  }

 private:
  std::unique_ptr<PluginHost> host_;
};

}  // namespace

bool isLv2Bundle(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(platform::fileSystemPath(path.c_str()) / "manifest.ttl", ec);
}

std::unique_ptr<HostedInstrument> loadInstrument(const std::string& path, std::string* error) {
#if defined(TARNWICK_HOST_LV2)
  if (isLv2Bundle(path)) return Lv2Host::load(path, error);
#else
  if (isLv2Bundle(path)) {
    if (error) *error = path + " is an LV2 bundle: this build of the host has no LV2";
    return nullptr;
  }
#endif
  std::unique_ptr<PluginHost> host = PluginHost::load(path, error);
  if (!host) return nullptr;
  return std::make_unique<VstInstrument>(std::move(host));
}

}  // namespace tarnwick::host
