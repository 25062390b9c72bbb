// The entries of the instrument's option menus, as the editor shows them and the headless host lists
// them: entry n of a menu is the option's value n.
#pragma once

#include <iterator>

#include "engine/ParameterTable.h"

namespace tarnwick {

inline constexpr const char* kDelayRangeEntries[] = {" 16ms  ->  200ms", " 32ms  ->  400ms", " 80ms  ->  1sec",
                                                     " quantized to tempo"};
inline constexpr const char* kKeyMappingEntries[] = {
    " 128 keys - map from C-2 to G8 ", "  88 keys - map from A-1 to C7", "  76 keys - map from E0 to G6",
    "  61 keys - map from C1 to C6",   "  49 keys - map from C1 to C5",  "  37 keys - map from C2 to C5",
    "  25 keys - map from C2 to C4"};
inline constexpr const char* kMorphAlgorithmEntries[] = {"1 - a/b weighted copy", "2 - a/b linear copy",
                                                         "3 - equally distributed"};
inline constexpr const char* kResetEntries[] = {" Delay values", " Copybuffer", " Options", " All except audiobuffer"};

static_assert(std::size(kDelayRangeEntries) == parameterInfo(kDelayRange)->menuSize);
static_assert(std::size(kKeyMappingEntries) == parameterInfo(kKeyMapping)->menuSize);
static_assert(std::size(kMorphAlgorithmEntries) == parameterInfo(kMorphAlgorithm)->menuSize);
static_assert(std::size(kResetEntries) == parameterInfo(kResetAction)->menuSize);

}  // namespace tarnwick
