// The user's registry: string values under keys of the current user's hive. On Windows that is the
// registry's HKEY_CURRENT_USER; on Linux the hive is a folder store under the user's configuration
// folder (format in docs/registry.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::platform {

enum class RegistryAccess { kRead, kWrite };

enum class RegistryFetch {
  kOk,
  kNoMoreValues,  // the position is past the last value
  kFailed,        // the value exists but cannot be fetched (name or data larger than the buffers, unreadable)
};

// An open key. Keys are opened, never created: a missing key simply does not open.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() = default;
  RegistryKey(RegistryKey&&) noexcept = default;
  RegistryKey& operator=(RegistryKey&&) noexcept = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key of the current user by its path, parts separated by '\'
  // ("Software\Maker\Product"). False when the key (or the whole store) does not exist, or when
  // write access is asked for and the key cannot be written.
  bool open(const char* path, RegistryAccess access) noexcept;
  bool isOpen() const { return open_; }
  void close() noexcept;

  // The value at a position (0, 1, 2 ... in a fixed order): its name, zero-terminated, into a
  // buffer of nameCapacity characters, and its data as stored (a string value holds its
  // terminator) into dataCapacity bytes, with the byte count in dataSize. kFailed when either
  // does not fit; name and data are then unspecified.
  RegistryFetch enumValue(uint32_t index, char* name, size_t nameCapacity, uint8_t* data, size_t dataCapacity,
                          size_t& dataSize) const noexcept;

  // Stores text with its terminating zero byte as the value name (created or replaced whole).
  // False on a key opened for reading, a name the store cannot hold, or a failed write.
  // On Windows names and text are UTF-8 and kept in the registry as Unicode strings.
  bool setString(const char* name, const char* text) noexcept;

 private:
  bool open_ = false;
  bool writable_ = false;
#if defined(_WIN32)
  struct KeyCloser {
    void operator()(void* key) const noexcept;
  };
  std::unique_ptr<void, KeyCloser> key_;  // the HKEY
#else
  std::string folder_;
  std::vector<std::string> names_;  // the values present when the key was opened, in order
#endif
};

// Puts the hive in folder instead of the user's configuration folder; nullptr goes back to it.
// On Windows the argument is a key path below HKEY_CURRENT_USER that stands in for the whole hive
// ("Software\Tests\Hive": key "A\B" is then opened as "Software\Tests\Hive\A\B").
// For tests and tools.
void setRegistryRootForTesting(const char* folder);

}  // namespace tarnwick::platform
