// The editor's bitmap resources, looked up by their numeric identifiers.
#pragma once

#include <cstdint>

namespace tarnwick {

// One decoded bitmap: width × height pixels, row by row from the top, each 0xAARRGGBB with
// straight (not premultiplied) alpha. Alpha 0 marks pixels through which the window background
// shows when a control is transparent. One-bit images use opaque black and opaque white.
struct BitmapResource {
  int32_t id;
  int32_t width;
  int32_t height;
  const uint32_t* pixels;
};

// [any-thread] The resource with this identifier, or null when there is none. The pixels are
// decoded once per process on first use and stay valid until the library is unloaded.
const BitmapResource* findBitmapResource(int32_t id);
// [any-thread] The same picture drawn at a scale given in halves (2 = 1x, 3 = 1.5x, 4 = 2x); null for a
// scale the plug-in does not carry.
const BitmapResource* findBitmapResource(int32_t id, int32_t scaleHalves);

}  // namespace tarnwick
