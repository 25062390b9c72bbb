// A private vendor-specific request through which tools ask how the last recording load went (a host
// restoring a session learns it only from a message box). Plain layout, shared with tools/host; bump the
// version on any change.
#pragma once

#include <cstdint>

#include "vst/VstInterface.h"

namespace tarnwick {

// effVendorSpecific (50) with index kRecordingQueryIndex, value 0 and ptr a RecordingQueryRecord whose
// version is kRecordingQueryVersion. Answers 1 when filled, 0 otherwise.
inline constexpr int32_t kRecordingQueryIndex = fourCharCode('T', 'w', 'R', 'c');
inline constexpr int32_t kRecordingQueryVersion = 1;

struct RecordingQueryRecord {
  int32_t version = kRecordingQueryVersion;
  int32_t attempted = 0;   // 1 once a recording was loaded or tried, from a file or a session
  int32_t lastResult = 0;  // the storage result code of the last attempt (0: loaded)
  int32_t frameCount = 0;  // frames of the recording now playing
  char message[256] = {};  // the text of lastResult, zero-terminated
};

}  // namespace tarnwick
