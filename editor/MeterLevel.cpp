// Meter ballistics: hold the peak, fall back over time.
#include "editor/MeterLevel.h"

#include <algorithm>
#include <cmath>

namespace tarnwick {

float MeterLevel::update(float peak, double seconds) {
  if (started_) {
    const double elapsed = std::clamp(seconds - last_, 0.0, 60.0);
    level_ = std::max(0.0f, level_ - static_cast<float>(elapsed) * kFallPerSecond);
  }
  started_ = true;
  last_ = seconds;
  if (peak > level_) level_ = std::min(peak, kCeiling);  // false for a peak that is not a number
  return level_;
}

}  // namespace tarnwick
