// Builders for hand-made WAV/AIFF images, temp folders and libsndfile helpers for the storage tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace tarnwick::test {

using Bytes = std::vector<uint8_t>;

// Appends fields in a chosen byte order.
class ByteWriter {
 public:
  explicit ByteWriter(bool bigEndian = false) : bigEndian_(bigEndian) {}
  ByteWriter& u8(uint8_t value);
  ByteWriter& u16(uint16_t value);
  ByteWriter& u32(uint32_t value);
  ByteWriter& tag(const char* fourChars);
  ByteWriter& bytes(const Bytes& data);
  ByteWriter& bytes(std::initializer_list<uint8_t> data);
  // id, size, body and a pad byte when the size is odd; statedSize overrides the real size.
  ByteWriter& chunk(const char* id, const Bytes& body, int64_t statedSize = -1);
  const Bytes& data() const { return data_; }

 private:
  bool bigEndian_;
  Bytes data_;
};

constexpr uint16_t kPcmTag = 1;
constexpr uint16_t kFloatTag = 3;
constexpr uint16_t kExtensibleTag = 0xFFFE;

Bytes fmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits);
// WAVE_FORMAT_EXTENSIBLE body whose sub-format GUID starts with subFormat (1 PCM, 3 float).
Bytes extensibleFmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat);
// "RIFF", size, formType, then the chunks already written by a little-endian ByteWriter.
Bytes riff(const Bytes& chunks, const char* formType = "WAVE");
// A plain WAV: fmt then data.
Bytes wav(uint16_t channels, uint16_t bits, const Bytes& samples, uint32_t rate = 44100);

Bytes rate80(double rate);
Bytes commBody(int16_t channels, uint32_t frames, int16_t bits, const Bytes& rate = rate80(44100));
Bytes aifcCommBody(int16_t channels, uint32_t frames, int16_t bits, const char* compression);
Bytes ssndBody(uint32_t offset, const Bytes& samples);
// "FORM", size, formType, then chunks written by a big-endian ByteWriter.
Bytes form(const Bytes& chunks, const char* formType = "AIFF");
Bytes aiff(int16_t channels, int16_t bits, const Bytes& samples);

// Unique folder under the system temp folder, removed with its content on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path file(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const Bytes& data);
Bytes readFile(const std::filesystem::path& path);

// libsndfile's own view of a file: left-justified 32-bit integer samples, interleaved; float files
// as their values instead (floating, bits 32 or 64).
struct SndfileSamples {
  bool ok = false;
  int channels = 0;
  int bits = 0;
  bool floating = false;
  int64_t frames = 0;
  std::vector<int32_t> samples;
  std::vector<double> values;

  // The float the reader must produce for sample i (interleaved index).
  float expected(size_t i) const;
};

// Writes interleaved left-justified int32 samples; libsndfile keeps the top bits of each (float
// formats get value / 2^31).
bool writeWithSndfile(const std::filesystem::path& path, int format, int channels, int rate,
                      const std::vector<int32_t>& samples);
SndfileSamples readWithSndfile(const std::filesystem::path& path);

// Deterministic full-range test signal with the extreme values at its start.
std::vector<int32_t> testSignal(size_t count, uint32_t seed);

// The float the reader must produce for a left-justified sample of a file with the given bits.
float expectedSample(int32_t leftJustified, int bits);

}  // namespace tarnwick::test
