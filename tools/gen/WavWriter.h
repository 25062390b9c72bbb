// Minimal RIFF/WAVE writer for 16-bit PCM, so the generator needs no audio library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::gen {

// Encodes two equally long float channels (full scale ±1.0, clamped) as a 16-bit stereo PCM WAV image.
// Rounding is to nearest, so the result depends only on the sample values.
std::vector<uint8_t> encodeWav16(const std::vector<float>& left, const std::vector<float>& right, int sampleRate);

// Writes bytes to a file; false when the file cannot be written completely.
bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace tarnwick::gen
