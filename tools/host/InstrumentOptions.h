// The instrument's options beyond its host parameters (menus and switches of its window), which the
// headless host lists and sets by index through the plug-in's parameter calls. They exist only for the
// instrument, so they are offered only when the loaded plug-in carries its unique ID.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::host {

struct InstrumentOption {
  const char* name;  // what --param takes, in any case
  int32_t index;
  std::span<const char* const> entries;  // the value n selects entry n
  bool action;                           // setting it does something once; it has no lasting value
  const char* what;
};

std::span<const InstrumentOption> instrumentOptions();

// Whether a plug-in of this unique ID has the options.
bool hasInstrumentOptions(int32_t uniqueId);

// An entry's text without the menu's padding.
std::string entryText(const char* entry);

}  // namespace tarnwick::host
