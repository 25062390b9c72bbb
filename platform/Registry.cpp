// The registry as a folder store: a key is a folder, each value a file named like the value that
// holds its data bytes. The hive is $XDG_CONFIG_HOME (or ~/.config); key "A\B\C" is the folder
// A/B/C below it. Every file is read with a bound, nothing but regular files counts as a value,
// and values are replaced by writing a temporary file and renaming it (docs/registry.md).
#include "platform/Registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tarnwick::platform {

namespace {

constexpr size_t kMaxValueName = 255;      // a file name
constexpr size_t kMaxListedValues = 4096;  // a key with more is not ours; the rest is ignored

std::mutex gRootMutex;
std::string gRootOverride;
bool gHasOverride = false;

std::string hiveFolder() {
  {
    std::lock_guard<std::mutex> guard(gRootMutex);
    if (gHasOverride) return gRootOverride;
  }
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return config;  // relative values are to be ignored
  const char* home = std::getenv("HOME");
  if (home && home[0] != '\0') return std::string(home) + "/.config";
  return std::string();
}

// A key path below the hive as a folder path; empty when a part could climb out or is empty.
std::string keyFolder(const char* path) {
  const std::string hive = hiveFolder();
  if (hive.empty() || !path || path[0] == '\0') return std::string();
  std::string folder = hive;
  const char* part = path;
  while (true) {
    const char* end = std::strchr(part, '\\');
    const size_t length = end ? static_cast<size_t>(end - part) : std::strlen(part);
    const std::string name(part, length);
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return std::string();
    folder += '/';
    folder += name;
    if (!end) break;
    part = end + 1;
  }
  return folder;
}

// Names that can be values: the temporary files of a write start with '.', so no value does.
bool validValueName(const char* name) {
  if (!name || name[0] == '\0' || name[0] == '.') return false;
  const size_t length = strnlen(name, kMaxValueName + 1);
  return length <= kMaxValueName && std::strchr(name, '/') == nullptr;
}

bool isDirectory(const std::string& folder) {
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Reads a whole regular file of at most capacity bytes. A FIFO or device is refused without
// blocking; a larger file fails.
bool readValueFile(const std::string& file, uint8_t* data, size_t capacity, size_t& size) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
            static_cast<uint64_t>(info.st_size) <= capacity;
  size_t total = 0;
  while (ok) {
    // One byte beyond the capacity is asked for, so that a file that grew is noticed.
    uint8_t spare = 0;
    uint8_t* target = total < capacity ? data + total : &spare;
    const size_t want = total < capacity ? capacity - total : 1;
    const ssize_t got = ::read(fd, target, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    total += static_cast<size_t>(got);
    if (total > capacity) ok = false;
  }
  ::close(fd);
  if (ok) size = total;
  return ok;
}

bool writeAll(int fd, const char* bytes, size_t count) {
  while (count > 0) {
    const ssize_t put = ::write(fd, bytes, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    count -= static_cast<size_t>(put);
  }
  return true;
}

}  // namespace

bool RegistryKey::open(const char* path, RegistryAccess access) noexcept {
  close();
  try {
    std::string folder = keyFolder(path);
    if (folder.empty() || !isDirectory(folder)) return false;
    if (access == RegistryAccess::kWrite) {
      if (::access(folder.c_str(), W_OK | X_OK) != 0) return false;
      writable_ = true;
    } else {
      DIR* dir = ::opendir(folder.c_str());
      if (!dir) return false;
      while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;  // ".", "..", temporary files
        if (names_.size() >= kMaxListedValues) break;
        names_.emplace_back(entry->d_name);
      }
      ::closedir(dir);
      // Directory order is arbitrary; positions must not change between two enumerations.
      std::sort(names_.begin(), names_.end());
    }
    folder_ = std::move(folder);
    open_ = true;
    return true;
  } catch (...) {
    close();
    return false;
  }
}

void RegistryKey::close() noexcept {
  open_ = false;
  writable_ = false;
  folder_.clear();
  names_.clear();
}

RegistryFetch RegistryKey::enumValue(uint32_t index, char* name, size_t nameCapacity, uint8_t* data,
                                     size_t dataCapacity, size_t& dataSize) const noexcept {
  if (!open_ || index >= names_.size()) return RegistryFetch::kNoMoreValues;
  const std::string& valueName = names_[index];
  if (!name || valueName.size() + 1 > nameCapacity) return RegistryFetch::kFailed;
  try {
    size_t size = 0;
    if (!data || !readValueFile(folder_ + '/' + valueName, data, dataCapacity, size)) return RegistryFetch::kFailed;
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    dataSize = size;
    return RegistryFetch::kOk;
  } catch (...) {
    return RegistryFetch::kFailed;
  }
}

bool RegistryKey::setString(const char* name, const char* text) noexcept {
  if (!open_ || !writable_ || !text || !validValueName(name)) return false;
  try {
    static std::atomic<uint32_t> counter{0};
    const std::string target = folder_ + '/' + name;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
      temp = folder_ + "/." + name + '.' + std::to_string(::getpid()) + '.' + std::to_string(counter.fetch_add(1)) +
             ".tmp";
      fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    const bool written = writeAll(fd, text, std::strlen(text) + 1);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temp.c_str(), target.c_str()) != 0) {
      ::unlink(temp.c_str());
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

void setRegistryRootForTesting(const char* folder) {
  std::lock_guard<std::mutex> guard(gRootMutex);
  gHasOverride = folder != nullptr;
  gRootOverride = folder ? folder : "";
}

}  // namespace tarnwick::platform
