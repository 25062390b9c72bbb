// Bitmaps by resource identifier. Kept apart so that code using only in-memory bitmaps does not need
// the resource library.
#include "gui/CBitmap.h"
#include "resources/BitmapResources.h"

namespace tarnwick::gui {

CBitmap::CBitmap(int32_t resourceId) : resourceId_(resourceId) {
  const BitmapResource* resource = findBitmapResource(resourceId);
  if (resource == nullptr || resource->pixels == nullptr || resource->width <= 0 || resource->height <= 0) return;
  width_ = resource->width;
  height_ = resource->height;
  pixels_ = resource->pixels;
}

}  // namespace tarnwick::gui
