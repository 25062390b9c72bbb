// Fuzz target: the WAV/AIFF decoder over a file image held in memory.
#include <cstdint>
#include <cstdlib>

#include "storage/AudioFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tarnwick::ChannelPair out;
  tarnwick::AudioFileInfo info;
  const tarnwick::StorageResult result = tarnwick::decodeAudioFile(data, size, out, &info);
  if (result != tarnwick::kStorageOk) {
    if (out.left || out.right || out.frameCount != 0) std::abort();  // a refusal leaves out untouched
    return 0;
  }
  if (out.frameCount < 0 || !out.left || !out.right) std::abort();
  if (!(info.sampleRate >= 8000.0 && info.sampleRate <= 384000.0) || info.channels < 1) std::abort();
  // Every sample is read, the guard included, so that a short array shows up in the sanitizer.
  float sum = 0.0f;
  for (int32_t i = 0; i <= out.frameCount; ++i) sum += out.left[i] - out.right[i];
  if (out.left[out.frameCount] != 0.0f || out.right[out.frameCount] != 0.0f) std::abort();
  volatile float sink = sum;
  (void)sink;
  return 0;
}
