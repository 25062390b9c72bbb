// Bitmaps by resource identifier, through the lookup the application registered.
#include <atomic>

#include "gui/CBitmap.h"

namespace tarnwick::gui {

namespace {

std::atomic<BitmapLookup> gLookup{nullptr};
std::atomic<ScaledBitmapLookup> gScaledLookup{nullptr};

}  // namespace

void setBitmapLookup(BitmapLookup lookup) { gLookup.store(lookup, std::memory_order_release); }
void setScaledBitmapLookup(ScaledBitmapLookup lookup) { gScaledLookup.store(lookup, std::memory_order_release); }

bool lookUpScaledBitmap(int32_t resourceId, int32_t scaleHalves, BitmapPixels& out) {
  const ScaledBitmapLookup lookup = gScaledLookup.load(std::memory_order_acquire);
  out = BitmapPixels{};
  return lookup != nullptr && lookup(resourceId, scaleHalves, out) && out.pixels != nullptr && out.width > 0 &&
         out.height > 0;
}

CBitmap::CBitmap(int32_t resourceId) : resourceId_(resourceId) {
  const BitmapLookup lookup = gLookup.load(std::memory_order_acquire);
  BitmapPixels found;
  if (lookup == nullptr || !lookup(resourceId, found)) return;
  if (found.pixels == nullptr || found.width <= 0 || found.height <= 0) return;
  width_ = found.width;
  height_ = found.height;
  pixels_ = found.pixels;
}

}  // namespace tarnwick::gui
