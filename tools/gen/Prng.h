// Small deterministic random generator for the project's generated material (never rand()).
#pragma once

#include <cstdint>

namespace tarnwick::gen {

// SplitMix64: identical sequences on every platform and compiler.
class Prng {
 public:
  explicit Prng(uint64_t seed) : state_(seed) {}

  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [-1, 1), built from 24 bits so the value is exact in float and double alike.
  double bipolar() { return static_cast<double>(next() >> 40) / 8388608.0 - 1.0; }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 40) / 16777216.0; }

 private:
  uint64_t state_;
};

}  // namespace tarnwick::gen
