// The instrument's options and their entries, from the instrument's own tables.
#include "tools/host/InstrumentOptions.h"

#include "engine/Constants.h"
#include "engine/OptionTexts.h"
#include "plugin/Identity.h"

namespace tarnwick::host {
namespace {

constexpr const char* kSwitchEntries[] = {"off", "on"};

constexpr InstrumentOption kOptions[] = {
    {"delayRange", kDelayRange, kDelayRangeEntries, false, "range of the grain delay bars"},
    {"keyMapping", kKeyMapping, kKeyMappingEntries, false, "keys the recording is spread over"},
    {"morphAlgorithm", kMorphAlgorithm, kMorphAlgorithmEntries, false, "how morph blends two grains' spectra"},
    {"flood", kFlood, kSwitchEntries, false, "every key plays the last selected key's slice, transposed"},
    {"reset", kResetAction, kResetEntries, true, "resets what the entry names"},
};

}  // namespace

std::span<const InstrumentOption> instrumentOptions() { return kOptions; }

bool hasInstrumentOptions(int32_t uniqueId) { return uniqueId == kUniqueId; }

std::string entryText(const char* entry) {
  std::string text = entry;
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  // The menus space their arrows for the window's font.
  for (size_t at; (at = text.find("  ")) != std::string::npos;) text.erase(at, 1);
  return text;
}

}  // namespace tarnwick::host
