// The one recording the instrument plays, with the flooded copies that may stand in for it.
#pragma once

#include <cstdint>
#include <memory>

namespace tarnwick {

// Two channel arrays of frameCount + 1 samples; the last one is the guard sample that lets a
// reader take one frame past the end.
struct ChannelPair {
  int32_t frameCount = 0;
  std::unique_ptr<float[]> left;
  std::unique_ptr<float[]> right;

  bool empty() const { return !left || !right; }
};

struct AudioBuffer {
  int32_t frameCount = 0;
  float frameCountF = 0.0f;
  ChannelPair stored;           // storedLeft / storedRight, owned
  ChannelPair flooded;          // present while flood is on
  const float* left = nullptr;  // what the engine plays: stored, or flooded while flood is on
  const float* right = nullptr;
  bool saved = true;
  uint32_t generation = 0;  // bumped on every replacement of the stored arrays

  const float* storedLeft() const { return stored.left.get(); }
  const float* storedRight() const { return stored.right.get(); }
  bool floodOn() const { return !flooded.empty(); }
};

}  // namespace tarnwick
