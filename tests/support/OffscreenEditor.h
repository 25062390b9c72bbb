// The editor as the headless probe draws it, for comparing a real window's pixels with.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"

namespace tarnwick::test {

// Opens the plug-in's editor offscreen, rests the mouse at (mouseX, mouseY) in window pixels, runs ten
// idles and returns the width × height pixels as 0x00RRGGBB (alpha cleared, as a screen shows them);
// empty when the probe refuses. The offscreen editor is closed again.
inline std::vector<uint32_t> drawEditorOffscreen(host::PluginHost& plugin, int32_t mouseX, int32_t mouseY,
                                                 int32_t width, int32_t height) {
  EditorProbeRecord record;
  if (plugin.dispatch(effVendorSpecific, kEditorProbeIndex, kProbeOpen, &record) != 1) return {};
  record.x = mouseX;
  record.y = mouseY;
  plugin.dispatch(effVendorSpecific, kEditorProbeIndex, kProbeMouse, &record);
  record.count = 10;
  plugin.dispatch(effVendorSpecific, kEditorProbeIndex, kProbeIdle, &record);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  record.pixels = pixels.data();
  record.pixelCapacity = static_cast<int32_t>(pixels.size());
  if (plugin.dispatch(effVendorSpecific, kEditorProbeIndex, kProbeRead, &record) != 1) return {};
  plugin.dispatch(effVendorSpecific, kEditorProbeIndex, kProbeClose, &record);
  for (auto& p : pixels) p &= 0xFFFFFFu;
  return pixels;
}

}  // namespace tarnwick::test
