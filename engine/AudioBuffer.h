// The one recording the instrument plays: the arrays that hold it, and the view of them that the
// engine state carries.
#pragma once

#include <cstdint>
#include <memory>

namespace tarnwick {

// Two owned channel arrays of frameCount + 1 samples; the last one is the guard sample that lets a
// reader take one frame past the end. Once built, the samples never change: the engine replaces
// arrays, it never rewrites them, so a reader holding the pointers sees complete audio.
struct ChannelPair {
  int32_t frameCount = 0;
  std::unique_ptr<float[]> left;
  std::unique_ptr<float[]> right;

  bool empty() const { return !left || !right; }
};

// The recording as the engine state sees it: plain pointers into arrays owned elsewhere (the
// engine's AudioStore), so that the state stays a plain record that can be copied between threads.
struct BufferView {
  int32_t frameCount = 0;
  float frameCountF = 0.0f;
  const float* left = nullptr;  // what the engine plays and the editor shows: stored, or the flood
  const float* right = nullptr;
  const float* storedL = nullptr;  // the recording itself, never the flood
  const float* storedR = nullptr;
  bool saved = true;
  bool flooded = false;
  uint32_t generation = 0;  // bumped on every replacement of the stored arrays

  const float* storedLeft() const { return storedL; }
  const float* storedRight() const { return storedR; }
  bool floodOn() const { return flooded; }
  bool playable() const { return left != nullptr && right != nullptr; }
};

}  // namespace tarnwick
