// Fixture builders and libsndfile helpers shared by the storage tests.
#include "tests/storage/AudioFixtures.h"

#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>

namespace tarnwick::test {

ByteWriter& ByteWriter::u8(uint8_t value) {
  data_.push_back(value);
  return *this;
}

ByteWriter& ByteWriter::u16(uint16_t value) {
  if (bigEndian_) return u8(uint8_t(value >> 8)).u8(uint8_t(value));
  return u8(uint8_t(value)).u8(uint8_t(value >> 8));
}

ByteWriter& ByteWriter::u32(uint32_t value) {
  if (bigEndian_) return u16(uint16_t(value >> 16)).u16(uint16_t(value));
  return u16(uint16_t(value)).u16(uint16_t(value >> 16));
}

ByteWriter& ByteWriter::tag(const char* fourChars) {
  data_.insert(data_.end(), fourChars, fourChars + 4);
  return *this;
}

ByteWriter& ByteWriter::bytes(const Bytes& data) {
  data_.insert(data_.end(), data.begin(), data.end());
  return *this;
}

ByteWriter& ByteWriter::bytes(std::initializer_list<uint8_t> data) {
  data_.insert(data_.end(), data.begin(), data.end());
  return *this;
}

ByteWriter& ByteWriter::chunk(const char* id, const Bytes& body, int64_t statedSize) {
  tag(id).u32(uint32_t(statedSize < 0 ? int64_t(body.size()) : statedSize)).bytes(body);
  if (body.size() & 1) u8(0);
  return *this;
}

Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t align = uint16_t(channels * bits / 8);
  return ByteWriter().u16(tag).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits).data();
}

Bytes extensibleFmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat) {
  ByteWriter writer;
  writer.bytes(fmtBody(kExtensibleTag, channels, rate, bits));
  writer.u16(22).u16(bits).u32(channels == 2 ? 3 : 4);
  writer.u16(subFormat).bytes({0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
  return writer.data();
}

Bytes riff(const Bytes& chunks, const char* formType) {
  return ByteWriter().tag("RIFF").u32(uint32_t(chunks.size() + 4)).tag(formType).bytes(chunks).data();
}

Bytes wav(uint16_t channels, uint16_t bits, const Bytes& samples, uint32_t rate) {
  return riff(ByteWriter().chunk("fmt ", fmtBody(kPcmTag, channels, rate, bits)).chunk("data", samples).data());
}

Bytes rate80(double rate) {
  Bytes out(10, 0);
  if (rate == 0.0) return out;
  int exponent = 0;
  const double mantissa = std::frexp(std::fabs(rate), &exponent);  // rate = mantissa * 2^exponent
  const uint64_t bits = uint64_t(std::ldexp(mantissa, 64));
  const int biased = exponent - 1 + 16383;
  out[0] = uint8_t(((biased >> 8) & 0x7F) | (rate < 0 ? 0x80 : 0));
  out[1] = uint8_t(biased);
  for (int i = 0; i < 8; ++i) out[size_t(2 + i)] = uint8_t(bits >> (56 - 8 * i));
  return out;
}

Bytes commBody(int16_t channels, uint32_t frames, int16_t bits, const Bytes& rate) {
  return ByteWriter(true).u16(uint16_t(channels)).u32(frames).u16(uint16_t(bits)).bytes(rate).data();
}

Bytes aifcCommBody(int16_t channels, uint32_t frames, int16_t bits, const char* compression) {
  ByteWriter writer(true);
  writer.bytes(commBody(channels, frames, bits)).tag(compression);
  writer.u8(3).bytes({'a', 'b', 'c'});  // pascal-string name, padded to even length
  return writer.data();
}

Bytes ssndBody(uint32_t offset, const Bytes& samples) {
  return ByteWriter(true).u32(offset).u32(0).bytes(Bytes(offset, 0xEE)).bytes(samples).data();
}

Bytes form(const Bytes& chunks, const char* formType) {
  return ByteWriter(true).tag("FORM").u32(uint32_t(chunks.size() + 4)).tag(formType).bytes(chunks).data();
}

Bytes aiff(int16_t channels, int16_t bits, const Bytes& samples) {
  const uint32_t frames = uint32_t(samples.size() / size_t(channels * bits / 8));
  return form(
      ByteWriter(true).chunk("COMM", commBody(channels, frames, bits)).chunk("SSND", ssndBody(0, samples)).data());
}

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  do {
    path_ = base / ("tarnwick-storage-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(path_));
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

Bytes readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeWithSndfile(const std::filesystem::path& path, int format, int channels, int rate,
                      const std::vector<int32_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = sf_count_t(samples.size()) / channels;
  const bool written = sf_writef_int(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && written;
}

SndfileSamples readWithSndfile(const std::filesystem::path& path) {
  SndfileSamples result;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.string().c_str(), SFM_READ, &info);
  if (!file) return result;
  result.channels = info.channels;
  result.frames = info.frames;
  switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: result.bits = 8; break;
    case SF_FORMAT_PCM_16: result.bits = 16; break;
    case SF_FORMAT_PCM_24: result.bits = 24; break;
    case SF_FORMAT_PCM_32: result.bits = 32; break;
    case SF_FORMAT_FLOAT: result.bits = 32, result.floating = true; break;
    case SF_FORMAT_DOUBLE: result.bits = 64, result.floating = true; break;
    default: result.bits = 0; break;
  }
  const size_t count = size_t(info.frames) * size_t(info.channels);
  if (result.floating) {
    result.values.resize(count);
    result.ok = sf_readf_double(file, result.values.data(), info.frames) == info.frames;
  } else {
    result.samples.resize(count);
    result.ok = sf_readf_int(file, result.samples.data(), info.frames) == info.frames;
  }
  sf_close(file);
  return result;
}

std::vector<int32_t> testSignal(size_t count, uint32_t seed) {
  std::vector<int32_t> signal = {std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max(),
                                 0,
                                 -1,
                                 1 << 24,
                                 -(1 << 24),
                                 0x7FFF0000,
                                 int32_t(0x80010000)};
  std::mt19937 random(seed);
  while (signal.size() < count) signal.push_back(int32_t(random()));
  signal.resize(count);
  return signal;
}

float expectedSample(int32_t leftJustified, int bits) {
  if (bits == 8) return float((leftJustified >> 24) / 128.0);
  if (bits == 16) return float((leftJustified >> 16) / 32767.0);
  if (bits == 32) return float(leftJustified / 2147483648.0);
  return float(int32_t(uint32_t(leftJustified) & 0xFFFFFF00u) / 2147483648.0);
}

float SndfileSamples::expected(size_t i) const {
  return floating ? float(values[i]) : expectedSample(samples[i], bits);
}

}  // namespace tarnwick::test
