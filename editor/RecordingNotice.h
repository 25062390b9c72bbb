// The status line's notice about the recording, which stays until the next load.
#pragma once

#include <string>

#include "editor/EditorModel.h"

namespace tarnwick {

struct RecordingNoticeLine {
  std::string text;  // empty: nothing to tell
  bool problem = false;
};

// "file not readable - recording converted in memory to RATE Hz" once that happened, else
// "recording missing - looked for PATH" (the path's last 37 characters after "..." when it has more than
// 40); nothing when there is nothing to tell.
RecordingNoticeLine recordingNoticeLine(const StorageSummary& summary);

}  // namespace tarnwick
