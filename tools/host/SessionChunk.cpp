// The recording path at the head of the plug-in's chunk, and whether the plug-in could load it.
#include "tools/host/SessionChunk.h"

#include <algorithm>
#include <cstring>

#include "tools/hostlib/HostedInstrument.h"

namespace tarnwick::host {

bool writeChunkPath(std::vector<uint8_t>& chunk, const std::string& path, std::string* error) {
  auto fail = [error](const std::string& text) {
    if (error) *error = text;
    return false;
  };
  if (chunk.size() < kChunkPathField)
    return fail("the chunk has " + std::to_string(chunk.size()) + " bytes, too few to carry a recording path");
  if (path.empty()) return fail("empty recording path");
  if (path.size() > kChunkPathLimit)
    return fail("recording path longer than " + std::to_string(kChunkPathLimit) + " characters");
  if (path.find('\0') != std::string::npos) return fail("recording path contains a zero byte");
  std::fill(chunk.begin(), chunk.begin() + kChunkPathField, uint8_t{0});
  std::memcpy(chunk.data(), path.data(), path.size());
  return true;
}

std::string chunkPath(const std::vector<uint8_t>& chunk) {
  const std::size_t field = std::min(chunk.size(), kChunkPathField);
  const auto end = std::find(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(field), uint8_t{0});
  return std::string(chunk.begin(), end);
}

bool recordingLoaded(HostedInstrument& host, std::string* error) {
  bool attempted = false;
  int32_t result = 0;
  std::string message;
  if (!host.recordingResult(attempted, result, message) || !attempted || result == 0) return true;
  if (error) *error = "the recording " + chunkPath(host.getChunk()) + " cannot be loaded: " + message;
  return false;
}

}  // namespace tarnwick::host
