// The transform allocates nothing, not even on the process's first call that builds its tables.
#include "engine/fft/RealFft4096.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

namespace {
std::atomic<bool> gWatching{false};
std::atomic<long> gAllocations{0};

void* counted(std::size_t size)
{
    if (gWatching.load(std::memory_order_relaxed))
        gAllocations.fetch_add(1);
    return std::malloc(size ? size : 1);
}

// Kept out of line so the compiler does not pair a visible new-expression with free().
[[gnu::noinline]] void release(void* p) noexcept { std::free(p); }
} // namespace

void* operator new(std::size_t size)
{
    if (void* p = counted(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return counted(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace tarnwick {
namespace {

TEST(RealFft4096Allocation, FirstAndLaterTransformsAllocateNothing)
{
    constexpr int kN = RealFft4096::kSize;
    auto scratch = std::make_unique<RealFft4096::Scratch>();
    std::vector<float> x(kN, 0.0f), s(kN);
    x[7] = 1.0f;

    gWatching = true;
    RealFft4096::forward(x.data(), s.data(), *scratch); // the first call builds the tables
    RealFft4096::inverse(s.data(), x.data(), *scratch);
    for (int i = 0; i < 10; ++i) {
        RealFft4096::forward(x.data(), s.data(), *scratch);
        RealFft4096::inverse(s.data(), x.data(), *scratch);
    }
    gWatching = false;
    EXPECT_EQ(gAllocations.load(), 0);
    EXPECT_NEAR(x[7], 1.0f, 1e-5f);
}

} // namespace
} // namespace tarnwick
