// A file's kind from its magic numbers.
#include "storage/FileKind.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/Paths.h"

namespace tarnwick {

FileKind fileKindOf(const char* path) noexcept {
  if (path == nullptr || *path == '\0') return FileKind::kUnreadable;
  uint8_t head[12] = {};
  size_t got = 0;
  try {
    std::error_code error;
    // Only regular files: a FIFO or a device would block or never end.
    const std::filesystem::path name = platform::fileSystemPath(path);
    if (!std::filesystem::is_regular_file(name, error)) return FileKind::kUnreadable;
    std::FILE* file = platform::openFile(name, "rb");
    if (file == nullptr) return FileKind::kUnreadable;
    got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
  } catch (...) {
    return FileKind::kUnreadable;
  }
  const auto is = [&](size_t offset, const char* tag) { return std::memcmp(head + offset, tag, 4) == 0; };
  if (got >= 4 && is(0, "VLB ")) return FileKind::kBank;
  if (got < 12) return FileKind::kOther;
  if (is(0, "RIFF") && is(8, "WAVE")) return FileKind::kRecording;
  if (is(0, "FORM") && (is(8, "AIFF") || is(8, "AIFC"))) return FileKind::kRecording;
  return FileKind::kOther;
}

}  // namespace tarnwick
