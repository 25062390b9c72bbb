// The recording notice's texts.
#include "editor/RecordingNotice.h"

namespace tarnwick {

RecordingNoticeLine recordingNoticeLine(const StorageSummary& summary) {
  if (summary.missingRecording.empty()) return {};
  const std::string& path = summary.missingRecording;
  return {"recording missing - looked for " + (path.size() <= 40 ? path : "..." + path.substr(path.size() - 37)), true};
}

}  // namespace tarnwick
