// Pixel arithmetic shared by the draw contexts: straight-alpha "over" in integers, so every machine
// produces the same pixels.
#pragma once

#include <cstdint>

namespace tarnwick::gui::blend {

inline uint32_t channel(uint32_t p, int shift) { return (p >> shift) & 0xFFu; }

// Rounded x / 255 for 0 <= x <= 255 * 255 * 255.
inline uint32_t div255(uint32_t x) { return (x + 127u) / 255u; }

// Source (0xAARRGGBB, straight alpha) over destination (same format).
inline uint32_t over(uint32_t src, uint32_t dst) {
  const uint32_t sa = src >> 24;
  if (sa == 255u) return src;
  if (sa == 0u) return dst;
  const uint32_t da = dst >> 24;
  if (da == 255u) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      const uint32_t c = div255(channel(src, shift) * sa + channel(dst, shift) * (255u - sa));
      out |= c << shift;
    }
    return out;
  }
  // General case: both partly transparent. Weights are scaled by 255 to stay in integers.
  const uint32_t srcWeight = sa * 255u;
  const uint32_t dstWeight = da * (255u - sa);
  const uint32_t outWeight = srcWeight + dstWeight;  // = outAlpha * 255
  if (outWeight == 0u) return 0u;
  uint32_t out = div255(outWeight) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (channel(src, shift) * srcWeight + channel(dst, shift) * dstWeight + outWeight / 2u) / outWeight;
    out |= c << shift;
  }
  return out;
}

// The colour with its alpha scaled by coverage (0..255).
inline uint32_t withCoverage(uint32_t argb, uint32_t coverage) {
  const uint32_t a = div255((argb >> 24) * coverage);
  return (a << 24) | (argb & 0x00FFFFFFu);
}

}  // namespace tarnwick::gui::blend
