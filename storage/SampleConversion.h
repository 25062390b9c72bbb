// Conversion of interleaved integer or float samples into the two float channel arrays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "storage/AudioHeader.h"

namespace tarnwick {

// [any-thread] Converts frameCount frames at data (channels 1 or more) into left and right; a mono
// file fills both with the same values, a wider one gives its first two channels. Exact results:
// 8-bit WAV u/128 - 1, 8-bit AIFF s/128, 16-bit s/32767, 24-bit (sample << 8)/2^31, 32-bit s/2^31,
// floats as they are (doubles rounded to float; infinities and NaN become 0). The byte before data
// must be readable: 24-bit samples are fetched with a 4-byte load that starts one byte early.
void convertSamples(SampleEncoding encoding, int32_t channels, const uint8_t* data, size_t frameCount, float* left,
                    float* right);

}  // namespace tarnwick
