// Flood: building the transposed slices, and switching the engine between stored and flooded arrays.
#include "engine/Flood.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/Engine.h"
#include "engine/Numeric.h"

namespace tarnwick {

namespace {

// Interpolated read of frame position a + f, clipped to the buffer; u[frameCount] is the guard.
inline float readClipped(const float* u, int64_t a, float f, int32_t frameCount) {
  if (a < 0 || a >= frameCount) return 0.0f;
  if (f == 0.0f) return u[a];
  return u[a] + (u[a + 1] - u[a]) * f;
}

}  // namespace

ChannelPair buildFlood(const FloodPlan& plan) {
  ChannelPair out;
  const int32_t frames = plan.frameCount;
  if (frames <= 0 || !plan.sourceLeft || !plan.sourceRight) return out;
  out.left.reset(new (std::nothrow) float[static_cast<size_t>(frames) + 1]());
  out.right.reset(new (std::nothrow) float[static_cast<size_t>(frames) + 1]());
  if (!out.left || !out.right) return ChannelPair{};
  out.frameCount = frames;

  const int32_t L = plan.grainLength;
  if (L <= 0) return out;
  const int32_t keys = plan.keyCount > 0 ? plan.keyCount : 1;
  const int32_t centre = keys / 2;
  float* dl = out.left.get();
  float* dr = out.right.get();
  for (int32_t i = 0; i < keys; ++i) {
    const int64_t dest = static_cast<int64_t>(i) * L;
    if (dest >= frames) break;
    const float ratio = static_cast<float>(std::pow(1.0594631f, i - centre));
    const int32_t n = ratio > 1.0f ? truncSaturate(static_cast<float>(L) / ratio) : L;
    const int64_t end = std::min<int64_t>(n, frames - dest);
    float p = 0.0f;
    for (int64_t j = 0; j < end; ++j) {
      const int32_t k = static_cast<int32_t>(p);
      const float f = p - static_cast<float>(k);
      const int64_t a = static_cast<int64_t>(plan.sourceStart) + k;
      dl[dest + j] = readClipped(plan.sourceLeft, a, f, frames);
      dr[dest + j] = readClipped(plan.sourceRight, a, f, frames);
      p += ratio;
    }
    // Frames n .. L-1 of a raised slice stay at the zero they were allocated with.
  }
  return out;
}

int32_t Engine::flood(float v) {
  EngineState& s = *s_;
  BufferView& b = s.buffer;
  if (v != 0.0f) {
    if (b.floodOn()) return 0;  // already on: keep the saved unflooded arrays
    if (b.frameCount == 0 || !b.storedL || !b.storedR) return 1;
    if (s.rows[s.playRow].unitDura == 1.0f) return 2;
    const int32_t key = s.lastSelectedKey;
    FloodPlan plan;
    plan.sourceLeft = b.storedL;
    plan.sourceRight = b.storedR;
    plan.frameCount = b.frameCount;
    plan.keyCount = s.keyCount;
    plan.sourceStart = (b.frameCount / s.keyCount) * (key - s.lowKey);
    plan.grainLength = s.rows[key].grainLength;
    ChannelPair arrays = buildFlood(plan);
    if (arrays.empty()) return 3;  // out of memory: flood stays off
    store_.flooded() = std::move(arrays);
    b.left = store_.flooded().left.get();
    b.right = store_.flooded().right.get();
    b.flooded = true;
    s.floodSourceKey = key;
    return 0;
  }
  if (b.floodOn()) {
    b.left = b.storedL;
    b.right = b.storedR;
    b.flooded = false;
    store_.retire(std::move(store_.flooded()));
    store_.flooded() = ChannelPair{};
  }
  s.floodSourceKey = 0;
  return 0;
}

}  // namespace tarnwick
