// Checks every compiled kernel set on its own: the run-time choice must not change any result.
#include "engine/fft/FftKernels.h"
#include "engine/fft/RealFft4096.h"
#include "tests/fft/FftTestSignals.h"
#include "tests/fft/ReferenceDft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tarnwick::test {
namespace {

using fftdetail::FftKernelSet;

struct KernelRun {
  std::vector<float> spectrum = std::vector<float>(kN);
  std::vector<float> roundTrip = std::vector<float>(kN);
};

KernelRun run(const FftKernelSet& kernels, const std::vector<float>& x) {
  auto scratch = std::make_unique<RealFft4096::Scratch>();
  KernelRun r;
  kernels.forward(x.data(), r.spectrum.data(), scratch->data, fftdetail::fftTables());
  kernels.inverse(r.spectrum.data(), r.roundTrip.data(), scratch->data, fftdetail::fftTables());
  return r;
}

TEST(FftKernels, BaselineKernelsMatchDirectDft) {
  const ReferenceDft dft;
  const auto x = noise(21);
  const auto r = run(fftdetail::kBaselineKernels, x);
  const auto want = dft.forward(x);
  double peak = 0.0, worst = 0.0, worstBack = 0.0;
  for (int i = 0; i < kN; ++i) {
    peak = std::max(peak, std::abs(want[i]));
    worst = std::max(worst, std::abs(r.spectrum[i] - want[i]));
    worstBack = std::max(worstBack, static_cast<double>(std::abs(r.roundTrip[i] - x[i])));
  }
  EXPECT_LT(worst / peak, 1e-4);
  EXPECT_LT(worstBack, 1e-5);
}

TEST(FftKernels, Avx2KernelsGiveBitIdenticalResults) {
  const FftKernelSet* avx2 = fftdetail::avx2Kernels();
  if (!avx2) GTEST_SKIP() << "no AVX2 kernels on this build or processor";
  for (unsigned seed : {22u, 23u}) {
    const auto x = noise(seed);
    const auto base = run(fftdetail::kBaselineKernels, x);
    const auto wide = run(*avx2, x);
    EXPECT_EQ(base.spectrum, wide.spectrum);
    EXPECT_EQ(base.roundTrip, wide.roundTrip);
  }
}

TEST(FftKernels, ActiveKernelsAreAvx2WhereAvailable) {
  const std::string name = RealFft4096::kernelName();
  EXPECT_EQ(name, fftdetail::avx2Kernels() ? "avx2" : "baseline");
}

}  // namespace
}  // namespace tarnwick::test
