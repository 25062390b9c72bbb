// Small helpers for calling the audio file reader on byte images in tests.
#pragma once

#include <gtest/gtest.h>

#include "storage/AudioFileReader.h"
#include "tests/storage/AudioFixtures.h"

namespace tarnwick::test {

inline StorageResult decode(const Bytes& image, DecodedAudio& out) {
  return decodeAudioFile(image.data(), image.size(), out);
}

inline StorageResult decodeCode(const Bytes& image) {
  DecodedAudio out;
  const StorageResult result = decode(image, out);
  if (result != kStorageOk) {
    EXPECT_EQ(out.frameCount, 0);
    EXPECT_FALSE(out.left);
    EXPECT_FALSE(out.right);
  }
  return result;
}

// Both channels as vectors of frameCount values; also checks the guard samples.
inline std::vector<float> channel(const DecodedAudio& audio, bool right) {
  const float* data = right ? audio.right.get() : audio.left.get();
  if (!data) return {};
  EXPECT_EQ(data[audio.frameCount], 0.0f) << "guard sample";
  return std::vector<float>(data, data + audio.frameCount);
}

}  // namespace tarnwick::test
