// Bitmap lookup by resource id: each bitmap is decoded once, on its first request, from any thread.
#include "resources/BitmapResources.h"

#include <memory>
#include <mutex>
#include <vector>

#include "resources/EncodedBitmap.h"

namespace tarnwick {

namespace {

struct Slot {
  std::once_flag decoded;
  std::vector<uint32_t> pixels;
  BitmapResource resource{};
  bool valid = false;
};

// One slot per compiled-in bitmap; freed with the library, nothing else happens at unload.
Slot* slots() {
  static const std::unique_ptr<Slot[]> table(new Slot[static_cast<std::size_t>(kEncodedBitmapCount)]);
  return table.get();
}

int32_t indexOf(int32_t id) {
  int32_t low = 0, high = kEncodedBitmapCount - 1;
  while (low <= high) {
    const int32_t mid = low + (high - low) / 2;
    if (kEncodedBitmaps[mid].id == id) return mid;
    if (kEncodedBitmaps[mid].id < id)
      low = mid + 1;
    else
      high = mid - 1;
  }
  return -1;
}

}  // namespace

const BitmapResource* findBitmapResource(int32_t id) {
  const int32_t index = indexOf(id);
  if (index < 0) return nullptr;
  Slot& slot = slots()[index];
  std::call_once(slot.decoded, [&slot, index] {
    const EncodedBitmap& e = kEncodedBitmaps[index];
    if (!decodeBitmap(e, slot.pixels)) return;
    slot.resource = BitmapResource{e.id, e.width, e.height, slot.pixels.data()};
    slot.valid = true;
  });
  return slot.valid ? &slot.resource : nullptr;
}

}  // namespace tarnwick
