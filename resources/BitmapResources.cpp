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

// One slot per compiled-in bitmap (1x, then each further scale); freed with the library, nothing else
// happens at unload.
Slot* slots() {
  static const std::unique_ptr<Slot[]> table([] {
    std::size_t count = static_cast<std::size_t>(kEncodedBitmapCount);
    for (int32_t s = 0; s < kEncodedScaleCount; ++s) count += static_cast<std::size_t>(kEncodedScales[s].count);
    return new Slot[count];
  }());
  return table.get();
}

int32_t indexOf(const EncodedBitmap* table, int32_t count, int32_t id) {
  int32_t low = 0, high = count - 1;
  while (low <= high) {
    const int32_t mid = low + (high - low) / 2;
    if (table[mid].id == id) return mid;
    if (table[mid].id < id)
      low = mid + 1;
    else
      high = mid - 1;
  }
  return -1;
}

}  // namespace

const BitmapResource* findBitmapResource(int32_t id) { return findBitmapResource(id, 2); }

const BitmapResource* findBitmapResource(int32_t id, int32_t scaleHalves) {
  const EncodedBitmap* table = kEncodedBitmaps;
  int32_t count = kEncodedBitmapCount, first = 0;
  if (scaleHalves != 2) {
    first = count;
    int32_t s = 0;
    while (s < kEncodedScaleCount && kEncodedScales[s].halves != scaleHalves) first += kEncodedScales[s++].count;
    if (s == kEncodedScaleCount) return nullptr;
    table = kEncodedScales[s].bitmaps;
    count = kEncodedScales[s].count;
  }
  const int32_t index = indexOf(table, count, id);
  if (index < 0) return nullptr;
  Slot& slot = slots()[first + index];
  std::call_once(slot.decoded, [&slot, table, index] {
    const EncodedBitmap& e = table[index];
    if (!decodeBitmap(e, slot.pixels)) return;
    slot.resource = BitmapResource{e.id, e.width, e.height, slot.pixels.data()};
    slot.valid = true;
  });
  return slot.valid ? &slot.resource : nullptr;
}

}  // namespace tarnwick
