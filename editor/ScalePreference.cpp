// The scale preference as a string value of the registry key above the recent files.
#include "editor/ScalePreference.h"

#include <cstring>
#include <iterator>

#include "platform/Registry.h"

namespace tarnwick {

namespace {

// Stored texts by menu entry.
constexpr const char* kStoredTexts[] = {"auto", "100", "150", "200"};
static_assert(std::size(kStoredTexts) == std::size(kScaleMenuEntries));

}  // namespace

int32_t scaleOfMenuEntry(int32_t entry) {
  return entry >= 1 && entry < static_cast<int32_t>(std::size(kScaleMenuEntries)) ? entry + 1 : 0;
}

int32_t menuEntryOfScale(int32_t halves) {
  return halves >= 2 && halves < static_cast<int32_t>(std::size(kScaleMenuEntries)) + 1 ? halves - 1 : 0;
}

int32_t readScalePreference() {
  platform::RegistryKey key;
  if (!key.open(kEditorPreferencesKey, platform::RegistryAccess::kRead)) return 0;
  char name[64];
  uint8_t data[16];
  for (uint32_t position = 0; position < 4096; ++position) {
    size_t size = 0;
    const platform::RegistryFetch fetch = key.enumValue(position, name, sizeof name, data, sizeof data, size);
    if (fetch == platform::RegistryFetch::kNoMoreValues) break;
    if (fetch != platform::RegistryFetch::kOk || std::strcmp(name, kScaleValueName) != 0) continue;
    for (size_t entry = 0; entry < std::size(kStoredTexts); ++entry) {
      const size_t length = std::strlen(kStoredTexts[entry]);
      if ((size == length || size == length + 1) && std::memcmp(data, kStoredTexts[entry], length) == 0 &&
          (size == length || data[length] == 0))
        return scaleOfMenuEntry(static_cast<int32_t>(entry));
    }
    return 0;
  }
  return 0;
}

void writeScalePreference(int32_t halves) {
  platform::RegistryKey key;
  if (!key.open(kEditorPreferencesKey, platform::RegistryAccess::kWrite)) return;
  key.setString(kScaleValueName, kStoredTexts[menuEntryOfScale(halves)]);
}

}  // namespace tarnwick
