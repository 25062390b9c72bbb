// Times one morph note start (2 endpoint analyses, 30 middle grains) on sparse and on broadband
// material, against 32 FFTW transforms in the same binary.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <time.h>

#include "engine/fft/RealFft4096.h"
#include "engine/morph/MorphState.h"

namespace {

using tarnwick::MorphSlot;
using tarnwick::MorphState;
using tarnwick::RealFft4096;

constexpr int kN = RealFft4096::kSize;
constexpr int kBins = kN / 2 + 1;
constexpr int kMiddleGrains = 30;
constexpr int kFrames = 3 * 44100;
constexpr int32_t kReadA = 10000;        // inside the first tone
constexpr int32_t kReadB = 80000;        // inside the second tone
constexpr int32_t kGrainLength = 10000;  // capped to 4096 by the analysis

// Two sung-like tones one after the other: 40 partials with a falling spectrum, a slow vibrato, and
// noise 50 dB down; the second tone a fifth higher with a brighter spectrum. Few loud bins.
struct SparseRecording {
  std::vector<float> left = std::vector<float>(kFrames + 1);
  std::vector<float> right = std::vector<float>(kFrames + 1);
  SparseRecording() {
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, 0.003);
    const double twoPi = 2.0 * 3.14159265358979;
    double phase = 0.0;
    for (int n = 0; n < kFrames; ++n) {
      const bool second = n >= kFrames / 2;
      const double f0 = (second ? 330.0 : 220.0) * (1.0 + 0.004 * std::sin(twoPi * 5.0 * n / 44100.0));
      phase += twoPi * f0 / 44100.0;
      double v = 0.0;
      for (int h = 1; h <= 40; ++h) v += std::sin(h * phase + 0.3 * h) / std::pow(h, second ? 0.8 : 1.2);
      left[n] = static_cast<float>(0.2 * v + noise(rng));
      right[n] = static_cast<float>(0.18 * v + noise(rng));
    }
  }
};

// Two tones one after the other plus independent white noise on each channel, about 10 dB below the
// tones: nearly every bin is loud, so nearly every bin of every middle grain is paired.
struct BroadbandRecording {
  std::vector<float> left = std::vector<float>(kFrames + 1);
  std::vector<float> right = std::vector<float>(kFrames + 1);
  BroadbandRecording() {
    std::mt19937 rng(4);
    std::normal_distribution<double> noise(0.0, 0.1);
    const double twoPi = 2.0 * 3.14159265358979;
    for (int n = 0; n < kFrames; ++n) {
      const double f = n >= kFrames / 2 ? 660.0 : 440.0;
      const double tone = 0.4 * std::sin(twoPi * f * n / 44100.0);
      left[n] = static_cast<float>(tone + noise(rng));
      right[n] = static_cast<float>(tone + noise(rng));
    }
  }
};

struct Material {
  const std::vector<float>& left;
  const std::vector<float>& right;
};

Material material(int64_t which) {
  static const SparseRecording sparse;
  static const BroadbandRecording broadband;
  if (which == 0) return {sparse.left, sparse.right};
  return {broadband.left, broadband.right};
}

void analyseBoth(MorphState& m, const Material& r) {
  int32_t lengthA = kGrainLength, lengthB = kGrainLength;
  m.analyseEndpoint(r.left.data(), r.right.data(), kFrames + 1, kReadA, lengthA, 0, MorphSlot::kA);
  m.analyseEndpoint(r.left.data(), r.right.data(), kFrames + 1, kReadB, lengthB, 31, MorphSlot::kB);
}

void noteStart(MorphState& morph, const Material& r, int32_t algorithm) {
  analyseBoth(morph, r);
  morph.morphStep = 1;
  for (int g = 1; g <= kMiddleGrains; ++g) morph.synthesiseGrain(g, algorithm, 32.0f);
  benchmark::DoNotOptimize(morph.grainBuffer(30));
  benchmark::ClobberMemory();
}

// Argument 0: material (0 sparse peaks, 1 tones plus noise); argument 1: morph algorithm.
void MorphNoteStart(benchmark::State& state) {
  auto morph = std::make_unique<MorphState>();
  const Material r = material(state.range(0));
  const int32_t algorithm = static_cast<int32_t>(state.range(1));
  for (auto _ : state) noteStart(*morph, r, algorithm);
  state.counters["regionsA"] = morph->regions(MorphSlot::kA).count;
  state.counters["regionsB"] = morph->regions(MorphSlot::kB).count;
}

// The transforms alone, with our kernels: the share of a note start that is not pairing.
void OurTransformsOnly(benchmark::State& state) {
  auto scratch = std::make_unique<RealFft4096::Scratch>();
  const Material r = material(0);
  std::vector<float> spectrumA(kN), spectrumB(kN), out(kN);
  for (auto _ : state) {
    RealFft4096::forward(r.left.data() + kReadA, spectrumA.data(), *scratch);
    RealFft4096::forward(r.left.data() + kReadB, spectrumB.data(), *scratch);
    for (int i = 0; i < kMiddleGrains; ++i) RealFft4096::inverse(spectrumA.data(), out.data(), *scratch);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

// 2 r2c and 30 c2r transforms with FFTW_MEASURE plans; c2r destroys its input, so each inverse
// first restores it (our inverse keeps its input), as the transform benchmark does.
struct Fftw {
  float* real = fftwf_alloc_real(kN);
  fftwf_complex* bins = fftwf_alloc_complex(kBins);
  fftwf_complex* spectrum = fftwf_alloc_complex(kBins);
  fftwf_plan r2c = fftwf_plan_dft_r2c_1d(kN, real, bins, FFTW_MEASURE);
  fftwf_plan c2r = fftwf_plan_dft_c2r_1d(kN, bins, real, FFTW_MEASURE);
  Fftw() {
    std::memcpy(real, material(0).left.data() + kReadA, sizeof(float) * kN);
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
};

Fftw& fftw() {
  static Fftw f;
  return f;
}

void fftwSet(Fftw& f) {
  std::memcpy(f.real, material(0).left.data() + kReadA, sizeof(float) * kN);
  fftwf_execute(f.r2c);
  std::memcpy(f.real, material(0).left.data() + kReadB, sizeof(float) * kN);
  fftwf_execute(f.r2c);
  for (int i = 0; i < kMiddleGrains; ++i) {
    std::memcpy(f.bins, f.spectrum, sizeof(fftwf_complex) * kBins);
    fftwf_execute(f.c2r);
  }
  benchmark::DoNotOptimize(f.real);
  benchmark::ClobberMemory();
}

void Fftw32Transforms(benchmark::State& state) {
  Fftw& f = fftw();
  for (auto _ : state) fftwSet(f);
}

double threadCpuUs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) * 1e-3;
}

// On a shared machine the separate runs above can catch different loads. Here the FFTW set and each
// note start take turns, and the fastest of many rounds of each is compared.
void printInterleavedRatios() {
  constexpr int kRounds = 200;
  auto morph = std::make_unique<MorphState>();
  Fftw& f = fftw();
  double fftwBest = 1e30;
  double best[2][3] = {{1e30, 1e30, 1e30}, {1e30, 1e30, 1e30}};
  for (int round = 0; round < kRounds; ++round) {
    double t0 = threadCpuUs();
    fftwSet(f);
    fftwBest = std::min(fftwBest, threadCpuUs() - t0);
    for (int m = 0; m < 2; ++m) {
      for (int32_t algorithm = 0; algorithm < 3; ++algorithm) {
        t0 = threadCpuUs();
        noteStart(*morph, material(m), algorithm);
        best[m][algorithm] = std::min(best[m][algorithm], threadCpuUs() - t0);
      }
    }
  }
  std::printf("\ninterleaved, fastest of %d rounds: 32 FFTW transforms %.1f us\n", kRounds, fftwBest);
  for (int m = 0; m < 2; ++m) {
    for (int32_t algorithm = 0; algorithm < 3; ++algorithm) {
      std::printf("MorphNoteStart %-9s algorithm %d   %9.1f us   ratio %5.2fx\n", m == 0 ? "sparse" : "broadband",
                  algorithm, best[m][algorithm], best[m][algorithm] / fftwBest);
    }
  }
}

BENCHMARK(MorphNoteStart)->ArgNames({"material", "algorithm"})->ArgsProduct({{0, 1}, {0, 1, 2}});
BENCHMARK(OurTransformsOnly);
BENCHMARK(Fftw32Transforms);

// Console output plus a closing summary of each note start's time over FFTW's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const double us = run.GetAdjustedCPUTime() * 1e-3;
      if (std::find(names_.begin(), names_.end(), run.run_name.str()) == names_.end())
        names_.push_back(run.run_name.str());
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians_[run.run_name.str()] = us;
      else if (run.run_type == Run::RT_Iteration)
        microseconds_[run.run_name.str()] = us;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // "MorphNoteStart/material:1/algorithm:2" reads "MorphNoteStart broadband algorithm 2".
  static std::string label(std::string name) {
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"/material:0", " sparse"},
                                   {"/material:1", " broadband"},
                                   {"/algorithm:", " algorithm "}}) {
      if (const auto at = name.find(from); at != std::string::npos) name.replace(at, from.size(), to);
    }
    return name;
  }

  void printSummary() const {
    std::printf("\nfft kernel: %s\n", RealFft4096::kernelName());
    const double fftw = at("Fftw32Transforms");
    if (fftw <= 0.0) return;
    for (const std::string& name : names_) {
      const double t = at(name);
      if (name != "Fftw32Transforms" && t > 0.0)
        std::printf("%-42s %9.1f us   32 FFTW transforms %8.1f us   ratio %5.2fx\n", label(name).c_str(), t, fftw,
                    t / fftw);
    }
  }

 private:
  double at(const std::string& name) const {
    if (const auto it = medians_.find(name); it != medians_.end()) return it->second;
    const auto it = microseconds_.find(name);
    return it == microseconds_.end() ? 0.0 : it->second;
  }

  std::vector<std::string> names_;  // in the order they ran
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
  printInterleavedRatios();
  benchmark::Shutdown();
  return 0;
}
