// The host's requests to a loaded plug-in: settings, audio, MIDI, parameters, texts, pins and chunks.
#include "tools/hostlib/PluginHost.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tarnwick::host {

namespace {
// Filler for string buffers beyond the prefill text: not a character a plug-in would write.
constexpr char kFillByte = static_cast<char>(0xA5);
// Channel counts beyond this are taken as a broken record: the block is left silent.
constexpr int32_t kMaxChannels = 256;
}  // namespace

void PluginHost::setSampleRate(float rate) {
  sampleRate_.store(rate);
  dispatch(effSetSampleRate, 0, 0, nullptr, rate);
}

void PluginHost::setBlockSize(int32_t frames) {
  blockSize_.store(frames);
  dispatch(effSetBlockSize, 0, frames);
}

void PluginHost::sendMidi(const std::vector<MidiMessage>& messages) {
  if (!effect_) return;
  midiEvents_.assign(messages.size(), VstMidiEvent{});
  for (std::size_t i = 0; i < messages.size(); ++i) {
    VstMidiEvent& event = midiEvents_[i];
    event.type = kVstMidiType;
    event.byteSize = sizeof(VstMidiEvent);
    event.deltaFrames = messages[i].deltaFrames;
    event.midiData[0] = static_cast<char>(messages[i].status);
    event.midiData[1] = static_cast<char>(messages[i].data1);
    event.midiData[2] = static_cast<char>(messages[i].data2);
  }

  // A VstEvents header followed by as many event pointers as there are events (never fewer than two).
  const std::size_t bytes =
      std::max(sizeof(VstEvents), offsetof(VstEvents, events) + messages.size() * sizeof(VstEvent*));
  eventListStorage_.assign((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
  char* base = reinterpret_cast<char*>(eventListStorage_.data());
  auto* list = new (base) VstEvents{};
  list->numEvents = static_cast<int32_t>(messages.size());
  auto** slots = reinterpret_cast<VstEvent**>(base + offsetof(VstEvents, events));
  for (std::size_t i = 0; i < messages.size(); ++i) slots[i] = reinterpret_cast<VstEvent*>(&midiEvents_[i]);
  dispatch(effProcessEvents, 0, 0, list);
}

void PluginHost::process(float* left, float* right, int32_t frames) {
  if (!effect_ || !left || !right || frames < 0) return;
  const auto count = static_cast<std::size_t>(frames);
  const int32_t numInputs = std::max(effect_->numInputs, 2);
  const int32_t numOutputs = std::max(effect_->numOutputs, 2);
  if (numInputs > kMaxChannels || numOutputs > kMaxChannels || !effect_->processReplacing) {
    std::fill(left, left + count, 0.0f);
    std::fill(right, right + count, 0.0f);
    return;
  }

  // Inputs are zeroed every block: a plug-in may use them as scratch.
  inputChannels_.resize(static_cast<std::size_t>(numInputs));
  inputPointers_.clear();
  for (auto& channel : inputChannels_) {
    channel.assign(count, 0.0f);
    inputPointers_.push_back(channel.data());
  }
  // Outputs beyond the first two go to scratch channels that nobody reads.
  extraOutputs_.resize(static_cast<std::size_t>(numOutputs - 2));
  outputPointers_.assign({left, right});
  for (auto& channel : extraOutputs_) {
    channel.assign(count, 0.0f);
    outputPointers_.push_back(channel.data());
  }

  effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), frames);
  samplePosition_.fetch_add(frames);
}

float PluginHost::getParameter(int32_t index) const {
  if (!effect_ || !effect_->getParameter) return 0.0f;
  return effect_->getParameter(effect_, index);
}

void PluginHost::setParameter(int32_t index, float value) {
  if (effect_ && effect_->setParameter) effect_->setParameter(effect_, index, value);
}

std::string PluginHost::dispatchString(int32_t opcode, int32_t index, const std::string& prefill,
                                       int32_t* bytesWritten) {
  char buffer[kStringBufferSize];
  std::memset(buffer, kFillByte, sizeof buffer);
  const std::size_t prefillLength = std::min(prefill.size(), sizeof buffer - 1);
  std::memcpy(buffer, prefill.data(), prefillLength);
  buffer[prefillLength] = '\0';
  char before[kStringBufferSize];
  std::memcpy(before, buffer, sizeof buffer);

  dispatch(opcode, index, 0, buffer);

  if (bytesWritten) {
    int32_t extent = 0;
    for (std::size_t i = sizeof buffer; i > 0; --i) {
      if (buffer[i - 1] != before[i - 1]) {
        extent = static_cast<int32_t>(i);
        break;
      }
    }
    *bytesWritten = extent;
  }
  const void* end = std::memchr(buffer, 0, sizeof buffer);
  return std::string(buffer, end ? static_cast<const char*>(end) - buffer : sizeof buffer);
}

int32_t PluginHost::canDo(const std::string& text) {
  return static_cast<int32_t>(dispatch(effCanDo, 0, 0, const_cast<char*>(text.c_str())));
}

bool PluginHost::pinProperties(bool output, int32_t index, VstPinProperties& props) {
  return dispatch(output ? effGetOutputProperties : effGetInputProperties, index, 0, &props) != 0;
}

std::vector<uint8_t> PluginHost::getChunk(bool preset) {
  void* data = nullptr;
  const intptr_t size = dispatch(effGetChunk, preset ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t PluginHost::setChunk(const std::vector<uint8_t>& data, bool preset) {
  return setChunk(data.data(), data.size(), preset);
}

intptr_t PluginHost::setChunk(const void* data, std::size_t size, bool preset) {
  return dispatch(effSetChunk, preset ? 1 : 0, static_cast<intptr_t>(size), const_cast<void*>(data));
}

}  // namespace tarnwick::host
