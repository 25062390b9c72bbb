// What the file browser's info line says of a recording, from its header alone.
#pragma once

#include <string>

namespace tarnwick {

struct RecordingInfo {
  bool playable = false;  // the header is one the instrument loads
  std::string line;       // "3.250 s  44100 Hz  stereo  24 bit", or why the file cannot be loaded
};

// [ui-thread] Reads only the file's header.
RecordingInfo recordingInfo(const char* path);

}  // namespace tarnwick
