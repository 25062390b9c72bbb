// What the test plug-in answers, and the vendor-specific requests through which tests inspect and steer it.
#pragma once

#include <cstdint>

#include "vst/VstInterface.h"

namespace fake {

constexpr int32_t kUniqueId = fourCharCode('F', 'k', 'S', 'y');
constexpr int32_t kVersion = 3;
constexpr int32_t kNumParams = 4;
constexpr int32_t kVendorVersion = 7;
constexpr const char* kEffectName = "FakeSynth";
constexpr const char* kVendor = "Tarnwick tests";
constexpr const char* kProduct = "Fake Synth";
constexpr const char* kProgramName = "Default";
// Parameter 3's name is longer than the interface allows; the plug-in cuts it to kVstMaxParamStrLen bytes.
constexpr const char* kParamNames[kNumParams] = {"gain", "cutoff", "mix", "longname"};

// Version answer for which the entry hands back a record with a wrong magic number.
constexpr int32_t kVersionForBadMagic = 1;

// Output sample i of every block: left = i / 1000, right = -i / 1000.
inline float leftSample(int32_t i) { return static_cast<float>(i) / 1000.0f; }
inline float rightSample(int32_t i) { return -static_cast<float>(i) / 1000.0f; }

// effVendorSpecific requests: the index selects the request, value and ptr are its arguments.
enum Request : int32_t {
  kEventCount = 1000,       // number of events in the last effProcessEvents list
  kCopyEvent,               // copies raw event [value] of that list into ptr (a VstEvent)
  kListReserved,            // the list's reserved field
  kSampleRate,              // the last effSetSampleRate value, truncated
  kBlockSize,               // the last effSetBlockSize value
  kResumeCount,             // number of effMainsChanged(1) received
  kInputsWereZero,          // 1 when every input sample ever seen was 0
  kTempoMilli,              // tempo kept from the last time request, times 1000
  kCallAutomate,            // applies opt to parameter [value], then audioMasterAutomate(value, opt)
  kCallEdit,                // audioMasterBeginEdit(value) then audioMasterEndEdit(value)
  kCallGetTime,             // audioMasterGetTime(mask = value); copies the record into ptr; 0 when null
  kCallCurrentId,           // answers what audioMasterCurrentId answered
  kCallEchoEvents,          // sends the last received list back through audioMasterProcessEvents
  kCallHostVendor,          // audioMasterGetVendorString into ptr
  kCallCanDo,               // audioMasterCanDo(ptr)
  kCallIdle,                // audioMasterIdle
  kCallFileSelector,        // audioMasterOpenFileSelector(ptr, a VstFileSelect), then Close when it answered 1
  kResvd1SeenByDispatcher,  // resvd1 as the dispatcher saw it on this call
};

}  // namespace fake
