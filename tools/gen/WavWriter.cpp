// Minimal RIFF/WAVE writer for 16-bit PCM.
#include "tools/gen/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tarnwick::gen {
namespace {

// Writes little-endian fields into a buffer sized up front.
class LeWriter {
 public:
  explicit LeWriter(std::vector<uint8_t>& out) : out_(out) {}
  void u16(uint32_t v) {
    out_[pos_++] = static_cast<uint8_t>(v & 0xFFu);
    out_[pos_++] = static_cast<uint8_t>((v >> 8) & 0xFFu);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFFu);
    u16(v >> 16);
  }
  void tag(const char* t) {
    for (int i = 0; i < 4; ++i) out_[pos_++] = static_cast<uint8_t>(t[i]);
  }

 private:
  std::vector<uint8_t>& out_;
  std::size_t pos_ = 0;
};

int16_t toPcm16(float x) {
  const double scaled = std::clamp(static_cast<double>(x), -1.0, 1.0) * 32767.0;
  return static_cast<int16_t>(std::lround(scaled));
}

}  // namespace

std::vector<uint8_t> encodeWav16(const std::vector<float>& left, const std::vector<float>& right, int sampleRate) {
  const uint32_t frames = static_cast<uint32_t>(std::min(left.size(), right.size()));
  const uint32_t channels = 2, bytesPerSample = 2;
  const uint32_t dataBytes = frames * channels * bytesPerSample;
  std::vector<uint8_t> out(44 + static_cast<std::size_t>(dataBytes));
  LeWriter w(out);
  w.tag("RIFF");
  w.u32(36 + dataBytes);
  w.tag("WAVE");
  w.tag("fmt ");
  w.u32(16);
  w.u16(1);  // integer PCM
  w.u16(channels);
  w.u32(static_cast<uint32_t>(sampleRate));
  w.u32(static_cast<uint32_t>(sampleRate) * channels * bytesPerSample);
  w.u16(channels * bytesPerSample);
  w.u16(bytesPerSample * 8);
  w.tag("data");
  w.u32(dataBytes);
  for (uint32_t i = 0; i < frames; ++i) {
    w.u16(static_cast<uint16_t>(toPcm16(left[i])));
    w.u16(static_cast<uint16_t>(toPcm16(right[i])));
  }
  return out;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

}  // namespace tarnwick::gen
