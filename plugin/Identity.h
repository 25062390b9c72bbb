// The instrument's fixed answers: names, versions, pins and the capability table.
#pragma once

#include <cstdint>

#include "vst/VstInterface.h"

namespace tarnwick {

constexpr const char* kEffectName = "Tarnwick";
constexpr const char* kVendorString = "pemberlo audio";
constexpr const char* kProductString = "Tarnwick VSTi";
constexpr int32_t kVendorVersion = 1;
constexpr int32_t kEffectVersion = 1;
constexpr int32_t kUniqueId = fourCharCode('Q', 'Z', '3', '8');
constexpr intptr_t kIdentifyCode = 0x4E764566;  // 'NvEf'

// 1 can do, -1 cannot, 0 don't know; exact, case-sensitive match of the whole text.
int32_t canDo(const char* text);

// Fills label and flags for the pins 0 and 1; answers false (record untouched) for any other.
bool inputProperties(int32_t index, VstPinProperties* props);
bool outputProperties(int32_t index, VstPinProperties* props);

}  // namespace tarnwick
