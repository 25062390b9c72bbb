// A morph note start allocates nothing: all working memory comes from the constructor.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "engine/morph/MorphState.h"

namespace {
std::atomic<bool> gWatching{false};
std::atomic<long> gAllocations{0};

void* counted(std::size_t size) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  return std::malloc(size ? size : 1);
}

// Kept out of line so the compiler does not pair a visible new-expression with free().
[[gnu::noinline]] void release(void* p) noexcept { std::free(p); }
}  // namespace

void* operator new(std::size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new(std::size_t size, std::align_val_t align) {
  if (gWatching.load(std::memory_order_relaxed)) gAllocations.fetch_add(1);
  const std::size_t a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { release(p); }

namespace tarnwick {
namespace {

TEST(MorphAllocation, AnalysisAndSynthesisAllocateNothing) {
  constexpr int kFrames = 30000;
  std::vector<float> left(kFrames + 1), right(kFrames + 1);
  for (int n = 0; n < kFrames; ++n) {
    double v = 0.0;
    for (int h = 1; h <= 30; ++h) v += std::sin(0.031 * h * n) / h;
    left[n] = static_cast<float>(0.4 * v);
    right[n] = static_cast<float>(0.3 * v + 0.01 * ((n * 7919) % 13 - 6));
  }
  auto morph = std::make_unique<MorphState>();  // before watching: construction allocates

  gWatching = true;
  for (int algorithm = 0; algorithm < 3; ++algorithm) {
    int32_t lengthA = 10000, lengthB = 3000;
    morph->analyseEndpoint(left.data(), right.data(), kFrames + 1, 100, lengthA, 0, MorphSlot::kA);
    morph->analyseEndpoint(left.data(), right.data(), kFrames + 1, 9000, lengthB, 31, MorphSlot::kB);
    morph->morphStep = 1;
    for (int g = 1; g < 31; ++g) morph->synthesiseGrain(g, algorithm, 32.0f);
    morph->findPeakRegions(MorphSlot::kA);
  }
  gWatching = false;

  EXPECT_EQ(gAllocations.load(), 0);
  EXPECT_GT(morph->regions(MorphSlot::kA).count, 5);  // the pairing really ran
  EXPECT_GT(morph->regions(MorphSlot::kB).count, 5);
}

}  // namespace
}  // namespace tarnwick
