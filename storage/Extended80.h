// Conversion of the 80-bit extended floats that AIFF files use for their sample rate.
#pragma once

#include <cstdint>

namespace tarnwick {

// [any-thread] Ten big-endian bytes (sign, 15-bit exponent, 64-bit mantissa) to a double. The
// all-ones exponent (infinity or NaN) gives 352800.0, a rate that no check accepts.
double extended80ToDouble(const uint8_t bytes[10]);

}  // namespace tarnwick
