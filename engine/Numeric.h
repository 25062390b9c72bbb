// Float-to-integer conversions that never invoke undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace tarnwick {

// Truncation toward zero for table lookups. Values beyond the int32 range (and NaN) map to
// INT32_MIN, which every table treats as out of range, like any other value outside it.
inline int32_t truncToInt(float v) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// Truncation toward zero for sample counts: saturates instead, NaN gives 0.
inline int32_t truncSaturate(float v) {
  if (v != v) return 0;
  if (v >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0f) return std::numeric_limits<int32_t>::min() + 1;
  return static_cast<int32_t>(v);
}

inline int32_t clampToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min() + 1) return std::numeric_limits<int32_t>::min() + 1;
  return static_cast<int32_t>(v);
}

}  // namespace tarnwick
