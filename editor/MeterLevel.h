// The level meter's value: the output's largest magnitude since the editor last looked, held, and falling
// back by a fixed amount per second, so that the meter moves alike whatever the host's idle rate.
#pragma once

namespace tarnwick {

class MeterLevel {
 public:
  static constexpr float kFallPerSecond = 0.6f;  // full scale to dark in 1.7 s
  static constexpr float kCeiling = 16.0f;       // an output far beyond full scale lights every LED

  // The value at `seconds` (any clock that does not go back; a step back counts as no time) with the
  // peak since the last update; a peak that is not a number counts as none.
  float update(float peak, double seconds);
  float value() const { return level_; }

 private:
  float level_ = 0.0f;
  double last_ = 0.0;
  bool started_ = false;
};

}  // namespace tarnwick
