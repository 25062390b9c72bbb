// 80-bit extended float to double for AIFF sample rates.
#include "storage/Extended80.h"

#include <cmath>

namespace tarnwick {

namespace {

uint32_t bigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

}  // namespace

double extended80ToDouble(const uint8_t bytes[10]) {
  const int exponent = ((bytes[0] & 0x7F) << 8) | bytes[1];
  const uint32_t highMantissa = bigEndian32(bytes + 2);
  const uint32_t lowMantissa = bigEndian32(bytes + 6);
  if (exponent == 0 && highMantissa == 0 && lowMantissa == 0) return 0.0;
  double value = 352800.0;
  if (exponent != 0x7FFF) {
    value = std::ldexp(double(highMantissa), exponent - 16383 - 31) +
            std::ldexp(double(lowMantissa), exponent - 16383 - 63);
  }
  return (bytes[0] & 0x80) ? -value : value;
}

}  // namespace tarnwick
