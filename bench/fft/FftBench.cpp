// Times our 4096-point real transform against FFTW's measured r2c/c2r plans and prints the ratios.
#include "engine/fft/FftKernels.h"
#include "engine/fft/RealFft4096.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using tarnwick::RealFft4096;
constexpr int kN = RealFft4096::kSize;
constexpr int kBins = kN / 2 + 1;
constexpr int kMorphInverses = 30;  // one morph note start: 2 forward + 30 inverse transforms

std::vector<float> noise(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
  std::vector<float> x(kN);
  for (float& v : x) v = dist(rng);
  return x;
}

struct Ours {
  std::unique_ptr<RealFft4096::Scratch> scratch = std::make_unique<RealFft4096::Scratch>();
  std::vector<float> signal = noise(1);
  std::vector<float> spectrum = std::vector<float>(kN);
  std::vector<float> out = std::vector<float>(kN);
  Ours() { RealFft4096::forward(signal.data(), spectrum.data(), *scratch); }
};

// FFTW plans made once (FFTW_MEASURE) on FFTW's own aligned buffers.
struct Fftw {
  float* real = fftwf_alloc_real(kN);
  fftwf_complex* bins = fftwf_alloc_complex(kBins);
  fftwf_complex* spectrum = fftwf_alloc_complex(kBins);  // pristine copy: c2r overwrites its input
  fftwf_plan r2c = fftwf_plan_dft_r2c_1d(kN, real, bins, FFTW_MEASURE);
  fftwf_plan c2r = fftwf_plan_dft_r2c_1d(kN, real, bins, FFTW_MEASURE);
  Fftw() {
    fftwf_destroy_plan(c2r);
    c2r = fftwf_plan_dft_c2r_1d(kN, bins, real, FFTW_MEASURE);
    const auto x = noise(1);  // planning scribbles over the buffers, so fill them afterwards
    std::memcpy(real, x.data(), sizeof(float) * kN);
    fftwf_execute(r2c);
    std::memcpy(spectrum, bins, sizeof(fftwf_complex) * kBins);
  }
  ~Fftw() {
    fftwf_destroy_plan(r2c);
    fftwf_destroy_plan(c2r);
    fftwf_free(real);
    fftwf_free(bins);
    fftwf_free(spectrum);
  }
  void inverse() {
    std::memcpy(bins, spectrum, sizeof(fftwf_complex) * kBins);
    fftwf_execute(c2r);
  }
};

Ours& ours() {
  static Ours o;
  return o;
}

Fftw& fftw() {
  static Fftw f;
  return f;
}

void OursForward(benchmark::State& state) {
  auto& o = ours();
  for (auto _ : state) {
    RealFft4096::forward(o.signal.data(), o.out.data(), *o.scratch);
    benchmark::DoNotOptimize(o.out.data());
    benchmark::ClobberMemory();
  }
}

void OursInverse(benchmark::State& state) {
  auto& o = ours();
  for (auto _ : state) {
    RealFft4096::inverse(o.spectrum.data(), o.out.data(), *o.scratch);
    benchmark::DoNotOptimize(o.out.data());
    benchmark::ClobberMemory();
  }
}

// The baseline (SSE2) kernels that processors without AVX2 run.
void OursForwardBaseline(benchmark::State& state) {
  auto& o = ours();
  const auto& tables = tarnwick::fftdetail::fftTables();
  for (auto _ : state) {
    tarnwick::fftdetail::kBaselineKernels.forward(o.signal.data(), o.out.data(), o.scratch->data, tables);
    benchmark::DoNotOptimize(o.out.data());
    benchmark::ClobberMemory();
  }
}

void OursInverseBaseline(benchmark::State& state) {
  auto& o = ours();
  const auto& tables = tarnwick::fftdetail::fftTables();
  for (auto _ : state) {
    tarnwick::fftdetail::kBaselineKernels.inverse(o.spectrum.data(), o.out.data(), o.scratch->data, tables);
    benchmark::DoNotOptimize(o.out.data());
    benchmark::ClobberMemory();
  }
}

void FftwR2c(benchmark::State& state) {
  auto& f = fftw();
  for (auto _ : state) {
    fftwf_execute(f.r2c);
    benchmark::DoNotOptimize(f.bins);
    benchmark::ClobberMemory();
  }
}

// Includes the 16 KB copy that restores the input c2r destroys (our inverse keeps its input).
void FftwC2r(benchmark::State& state) {
  auto& f = fftw();
  for (auto _ : state) {
    f.inverse();
    benchmark::DoNotOptimize(f.real);
    benchmark::ClobberMemory();
  }
}

void FftwC2rCopyOnly(benchmark::State& state) {
  auto& f = fftw();
  for (auto _ : state) {
    std::memcpy(f.bins, f.spectrum, sizeof(fftwf_complex) * kBins);
    benchmark::DoNotOptimize(f.bins);
    benchmark::ClobberMemory();
  }
}

void OursMorphNoteStart(benchmark::State& state) {
  auto& o = ours();
  std::vector<float> specB(kN);
  for (auto _ : state) {
    RealFft4096::forward(o.signal.data(), o.out.data(), *o.scratch);
    RealFft4096::forward(o.signal.data(), specB.data(), *o.scratch);
    for (int i = 0; i < kMorphInverses; ++i) RealFft4096::inverse(o.spectrum.data(), o.out.data(), *o.scratch);
    benchmark::DoNotOptimize(o.out.data());
    benchmark::ClobberMemory();
  }
}

void FftwMorphNoteStart(benchmark::State& state) {
  auto& f = fftw();
  for (auto _ : state) {
    fftwf_execute(f.r2c);
    fftwf_execute(f.r2c);
    for (int i = 0; i < kMorphInverses; ++i) f.inverse();
    benchmark::DoNotOptimize(f.real);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(OursForward);
BENCHMARK(OursForwardBaseline);
BENCHMARK(FftwR2c);
BENCHMARK(OursInverse);
BENCHMARK(OursInverseBaseline);
BENCHMARK(FftwC2r);
BENCHMARK(FftwC2rCopyOnly);
BENCHMARK(OursMorphNoteStart);
BENCHMARK(FftwMorphNoteStart);

// Console output plus a closing summary of our time over FFTW's for each pair.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With --benchmark_repetitions the median stands for the benchmark, else its single run.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const double us = run.GetAdjustedCPUTime() * 1e-3;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians_[run.run_name.str()] = us;
      else if (run.run_type == Run::RT_Iteration)
        microseconds_[run.run_name.str()] = us;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printSummary() const {
    std::printf("\nkernel: %s\n", RealFft4096::kernelName());
    ratio("forward", "OursForward", "FftwR2c", 0.0);
    ratio("inverse", "OursInverse", "FftwC2r", 0.0);
    ratio("forward, baseline kernels", "OursForwardBaseline", "FftwR2c", 0.0);
    ratio("inverse, baseline kernels", "OursInverseBaseline", "FftwC2r", 0.0);
    ratio("inverse (FFTW input copy removed)", "OursInverse", "FftwC2r", at("FftwC2rCopyOnly"));
    ratio("morph note start, 2 forward + 30 inverse", "OursMorphNoteStart", "FftwMorphNoteStart", 0.0);
  }

 private:
  double at(const std::string& name) const {
    if (const auto it = medians_.find(name); it != medians_.end()) return it->second;
    const auto it = microseconds_.find(name);
    return it == microseconds_.end() ? 0.0 : it->second;
  }

  void ratio(const char* what, const std::string& oursName, const std::string& fftwName, double fftwLess) const {
    const double a = at(oursName), b = at(fftwName) - fftwLess;
    if (a > 0.0 && b > 0.0) std::printf("%-44s ours %8.2f us  fftw %8.2f us  ratio %5.2fx\n", what, a, b, a / b);
  }

  std::map<std::string, double> microseconds_;
  std::map<std::string, double> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  RealFft4096::prepare();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printSummary();
  benchmark::Shutdown();
  return 0;
}
