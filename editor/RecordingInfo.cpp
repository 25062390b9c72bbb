// The browser's info line from a recording's header.
#include "editor/RecordingInfo.h"

#include <cstdio>

#include "storage/AudioFileReader.h"
#include "storage/StorageResult.h"

namespace tarnwick {

RecordingInfo recordingInfo(const char* path) {
  RecordingInfo info;
  AudioFileInfo header;
  uint64_t frames = 0;
  const StorageResult result = probeAudioFile(path, header, frames);
  if (result != kStorageOk) {
    info.line = storageResultMessage(result);
    return info;
  }
  const char* channels = header.channels == 1 ? "mono" : (header.channels == 2 ? "stereo" : nullptr);
  char text[96];
  char channelText[24];
  if (channels == nullptr) {
    std::snprintf(channelText, sizeof channelText, "%d channels", static_cast<int>(header.channels));
    channels = channelText;
  }
  std::snprintf(text, sizeof text, "%.3f s  %.0f Hz  %s  %d bit%s", static_cast<double>(frames) / header.sampleRate,
                header.sampleRate, channels, static_cast<int>(header.bits), header.floatingPoint ? " float" : "");
  info.playable = true;
  info.line = text;
  return info;
}

}  // namespace tarnwick
