// The headless editor probe (core/EditorProbe.h) as the VST plug-in offers it: a private vendor-specific
// request.
#pragma once

#include <cstdint>

#include "core/EditorProbe.h"
#include "vst/VstInterface.h"

namespace tarnwick {

// effVendorSpecific (50) with index kEditorProbeIndex, value one of EditorProbeCommand and ptr an
// EditorProbeRecord whose version is kEditorProbeVersion. Answers 1 when done, 0 otherwise.
inline constexpr int32_t kEditorProbeIndex = fourCharCode('T', 'w', 'S', 'h');
}  // namespace tarnwick
