// The status line's numbers and lines: the host interface's float2string conversion, and the bank and
// audio lines built from the instrument's storage summary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/EditorModel.h"

namespace tarnwick {

// The host interface base class's conversion: always 8 characters counting sign, digits and point
// (0.7296 gives "0.729600", 12.5 "12.50000", 3 "3.000000"), at most maxLen characters kept. A value it
// cannot convert (beyond 99999999, or -9999999) leaves text empty.
void float2string(float value, char* text, size_t maxLen);

// "name [size MB] " and "[audio changed]" when the buffer is not saved.
std::string bankLine(const StorageSummary& summary);
// "name [length sec audio] " and "[not saved]" when the buffer is not saved.
std::string audioLine(const StorageSummary& summary);
// "Loading name ... 42%" while the recording at path loads: its file name, "..." and its last 37
// characters when it has more than 40.
std::string loadingLine(const std::string& path, int32_t percent);

}  // namespace tarnwick
