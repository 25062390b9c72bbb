// The recording notice's texts.
#include "editor/RecordingNotice.h"

#include <cmath>

namespace tarnwick {

RecordingNoticeLine recordingNoticeLine(const StorageSummary& summary) {
  if (summary.convertedInMemoryTo > 0.0f) {
    return {"file not readable - recording converted in memory to " +
                std::to_string(std::lround(summary.convertedInMemoryTo)) + " Hz",
            true};
  }
  if (summary.missingRecording.empty()) return {};
  const std::string& path = summary.missingRecording;
  return {"recording missing - looked for " + (path.size() <= 40 ? path : "..." + path.substr(path.size() - 37)), true};
}

}  // namespace tarnwick
