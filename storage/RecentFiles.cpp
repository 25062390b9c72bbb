// Recent-files list: read from and written to the registry key, one value per entry.
#include "storage/RecentFiles.h"

#include <cstdint>
#include <cstring>

#include "platform/Registry.h"

namespace tarnwick {

namespace {

constexpr size_t kValueNameCapacity = 260;
constexpr size_t kLongestReadableData = kRecentFileBytes - 2;  // longer data shows the marker

}  // namespace

const char* RecentFiles::entry(int index) const {
  return index >= 0 && index < kRecentFileCount ? entries_[index] : "";
}

void RecentFiles::read() {
  platform::RegistryKey key;
  if (!key.open(kRecentFilesKey, platform::RegistryAccess::kRead)) return;
  std::memset(entries_, 0, sizeof entries_);
  char name[kValueNameCapacity];
  uint8_t data[kRecentFileBytes];
  // The first 20 values of the key, whatever their names.
  for (uint32_t position = 0; position < static_cast<uint32_t>(kRecentFileCount); ++position) {
    size_t size = 0;
    const platform::RegistryFetch fetch = key.enumValue(position, name, sizeof name, data, sizeof data, size);
    if (fetch == platform::RegistryFetch::kNoMoreValues) break;
    if (fetch != platform::RegistryFetch::kOk || std::strlen(name) != 2) continue;
    const int index = (name[0] - '0') * 10 + (name[1] - '0');
    if (index < 0 || index >= kRecentFileCount) continue;
    char* target = entries_[index];
    if (size > kLongestReadableData) {
      std::memcpy(target, kRecentNameTooLong, sizeof kRecentNameTooLong);
    } else {
      std::memcpy(target, data, size);  // a string: it ends at its first zero byte
      target[size] = '\0';
    }
  }
}

bool RecentFiles::add(const char* path) {
  if (!path) return false;
  const size_t length = strnlen(path, kRecentFileBytes);
  if (length >= kRecentFileBytes) return false;
  for (const auto& existing : entries_) {
    if (std::strcmp(existing, path) == 0) return false;
  }
  std::memmove(entries_[1], entries_[0], sizeof entries_ - sizeof entries_[0]);
  std::memcpy(entries_[0], path, length + 1);
  write();
  return true;
}

void RecentFiles::write() const {
  platform::RegistryKey key;
  if (!key.open(kRecentFilesKey, platform::RegistryAccess::kWrite)) return;
  for (int index = 0; index < kRecentFileCount; ++index) {
    const char name[3] = {static_cast<char>('0' + index / 10), static_cast<char>('0' + index % 10), '\0'};
    key.setString(name, entries_[index]);  // a failed value is skipped; the next is still written
  }
}

}  // namespace tarnwick
