// Small helpers for calling the audio file reader on byte images in tests.
#pragma once

#include <gtest/gtest.h>

#include "storage/AudioFileReader.h"
#include "tests/storage/AudioFixtures.h"

namespace tarnwick::test {

inline StorageResult decode(const Bytes& image, ChannelPair& out) {
  return decodeAudioFile(image.data(), image.size(), out);
}

inline StorageResult decodeCode(const Bytes& image) {
  ChannelPair out;
  const StorageResult result = decode(image, out);
  if (result != kStorageOk) {
    EXPECT_EQ(out.frameCount, 0);
    EXPECT_FALSE(out.left);
    EXPECT_FALSE(out.right);
  }
  return result;
}

// Both channels as vectors of frameCount values; also checks the guard samples.
inline std::vector<float> channel(const ChannelPair& audio, bool right) {
  const float* data = right ? audio.right.get() : audio.left.get();
  if (!data) return {};
  EXPECT_EQ(data[audio.frameCount], 0.0f) << "guard sample";
  return std::vector<float>(data, data + audio.frameCount);
}

// The image holds two 16-bit stereo frames (1, -1) and (-32768, 32767), in either byte order.
inline void expectStereo16(const Bytes& image) {
  ChannelPair out;
  ASSERT_EQ(decode(image, out), kStorageOk);
  ASSERT_EQ(out.frameCount, 2);
  EXPECT_EQ(channel(out, false), (std::vector<float>{float(1 / 32767.0), float(-32768 / 32767.0)}));
  EXPECT_EQ(channel(out, true), (std::vector<float>{float(-1 / 32767.0), 1.0f}));
}

}  // namespace tarnwick::test
