// First lookups racing from several threads decode each bitmap once and hand every thread the same record.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "resources/BitmapResources.h"
#include "resources/EncodedBitmap.h"

namespace tarnwick {
namespace {

TEST(BitmapThreads, ConcurrentFirstLookupsAgree) {
  constexpr int kThreads = 4;
  std::vector<std::vector<const BitmapResource*>> seen(kThreads);
  std::vector<std::vector<uint64_t>> sums(kThreads);
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < kThreads) std::this_thread::yield();
      // Half the threads walk the ids backwards, so that first uses collide from both ends.
      for (int32_t k = 0; k < kEncodedBitmapCount; ++k) {
        const int32_t i = t % 2 ? kEncodedBitmapCount - 1 - k : k;
        const BitmapResource* b = findBitmapResource(kEncodedBitmaps[i].id);
        uint64_t sum = 0;
        if (b)
          for (int32_t p = 0; p < b->width * b->height; ++p) sum = sum * 31 + b->pixels[p];
        seen[t].push_back(b);
        sums[t].push_back(sum);
      }
      if (t % 2) {
        std::reverse(seen[t].begin(), seen[t].end());
        std::reverse(sums[t].begin(), sums[t].end());
      }
    });
  for (std::thread& th : threads) th.join();
  for (int32_t i = 0; i < kEncodedBitmapCount; ++i) ASSERT_NE(seen[0][static_cast<std::size_t>(i)], nullptr);
  for (int t = 1; t < kThreads; ++t) {
    EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(sums[t], sums[0]);
  }
}

}  // namespace
}  // namespace tarnwick
