// Bitmaps by resource identifier, through the lookup the application registered.
#include <atomic>

#include "gui/CBitmap.h"

namespace tarnwick::gui {

namespace {

std::atomic<BitmapLookup> gLookup{nullptr};

}  // namespace

void setBitmapLookup(BitmapLookup lookup) { gLookup.store(lookup, std::memory_order_release); }

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
