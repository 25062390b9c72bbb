// Two threads transforming at once, each with its own scratch, from the process's very first transform on.
#include "engine/fft/RealFft4096.h"
#include "tests/fft/FftTestSignals.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace tarnwick {
namespace {

using test::noise;

constexpr int kN = RealFft4096::kSize;
constexpr int kSignals = 8;
constexpr int kRounds = 100;

struct Results {
  std::vector<std::vector<float>> spectra = std::vector<std::vector<float>>(kSignals);
  std::vector<std::vector<float>> signals = std::vector<std::vector<float>>(kSignals);
};

// Transforms every input forward and every spectrum back, rounds times, keeping the last results.
void transformAll(const std::vector<std::vector<float>>& inputs, int offset, Results& out) {
  auto scratch = std::make_unique<RealFft4096::Scratch>();
  std::vector<float> s(kN), x(kN);
  for (int round = 0; round < kRounds; ++round) {
    const int i = (round + offset) % kSignals;
    RealFft4096::forward(inputs[i].data(), s.data(), *scratch);
    RealFft4096::inverse(s.data(), x.data(), *scratch);
    out.spectra[i] = s;
    out.signals[i] = x;
  }
}

TEST(RealFft4096Threads, ConcurrentThreadsWithOwnScratchMatchOneThread) {
  std::vector<std::vector<float>> inputs;
  for (int i = 0; i < kSignals; ++i) inputs.push_back(noise(100 + i));

  // Nothing has touched the transform yet: both threads race into the one-time table set-up.
  Results a, b, alone;
  std::thread ta(transformAll, std::cref(inputs), 0, std::ref(a));
  std::thread tb(transformAll, std::cref(inputs), 3, std::ref(b));
  ta.join();
  tb.join();
  transformAll(inputs, 0, alone);

  for (int i = 0; i < kSignals; ++i) {
    EXPECT_EQ(a.spectra[i], alone.spectra[i]) << "signal " << i;
    EXPECT_EQ(b.spectra[i], alone.spectra[i]) << "signal " << i;
    EXPECT_EQ(a.signals[i], alone.signals[i]) << "signal " << i;
    EXPECT_EQ(b.signals[i], alone.signals[i]) << "signal " << i;
  }
}

}  // namespace
}  // namespace tarnwick
