// Durable writes: fsync on POSIX systems, FlushFileBuffers on Windows.
#include "platform/FileSystem.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tarnwick::platform {

bool flushToDisk(std::FILE* file) {
  if (!file || std::fflush(file) != 0) return false;
#if defined(_WIN32)
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

bool flushFolderToDisk(const std::filesystem::path& folder) {
#if defined(_WIN32)
  (void)folder;  // directory entries are written through on NTFS
  return true;
#else
  const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
#endif
}

}  // namespace tarnwick::platform
