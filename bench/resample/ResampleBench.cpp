// Converting 60 s of stereo from 48 kHz to 44.1 kHz: our resampler against libsoxr, single-threaded,
// at its high-quality setting and at one matched to our filter (passband to 90 % of Nyquist,
// stopband from Nyquist, the same attenuation). Both write into arrays that exist already.
#include <benchmark/benchmark.h>
#include <soxr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/Resampler.h"
#include "engine/ResamplerKernels.h"

namespace {

constexpr uint32_t kInRate = 48000;
constexpr uint32_t kOutRate = 44100;
constexpr int64_t kFrames = 60 * int64_t(kInRate);

struct Audio {
  std::vector<float> left, right;
};

Audio input;
Audio output;

Audio makeInput() {
  Audio audio{std::vector<float>(size_t(kFrames)), std::vector<float>(size_t(kFrames))};
  uint32_t noise = 7;
  for (int64_t i = 0; i < kFrames; ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double t = double(i) / kInRate;
    const float n = float(int32_t(noise) * (0.01 / 2147483648.0));
    audio.left[size_t(i)] = float(0.5 * std::sin(2 * M_PI * 220.0 * t)) + n;
    audio.right[size_t(i)] = float(0.5 * std::sin(2 * M_PI * 3331.0 * t)) - n;
  }
  return audio;
}

// 0: soxr's high quality (20 bits, passband to 91.3 %); 1: matched to our filter.
soxr_quality_spec_t soxrQuality(int setting) {
  soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  if (setting == 1) {
    quality.precision = tarnwick::kResampleAttenuationDb / 6.0206;
    quality.passband_end = tarnwick::kResamplePassbandEdge;
    quality.stopband_begin = tarnwick::kResampleStopbandEdge;
  }
  return quality;
}

double oursSeconds(const tarnwick::resamplekernels::KernelSet& kernels) {
  const auto start = std::chrono::steady_clock::now();
  const tarnwick::Resampler resampler(kInRate, kOutRate);
  resampler.processWith(kernels, input.left.data(), input.right.data(), kFrames, output.left.data(),
                        output.right.data());
  benchmark::DoNotOptimize(output.left.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double soxrSeconds(int setting) {
  const auto start = std::chrono::steady_clock::now();
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_S, SOXR_FLOAT32_S);
  const soxr_quality_spec_t quality = soxrQuality(setting);
  const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
  const float* in[2] = {input.left.data(), input.right.data()};
  float* out[2] = {output.left.data(), output.right.data()};
  size_t done = 0;
  const soxr_error_t error = soxr_oneshot(kInRate, kOutRate, 2, in, size_t(kFrames), nullptr, out, output.left.size(),
                                          &done, &io, &quality, &runtime);
  benchmark::DoNotOptimize(output.left.data());
  if (error) return -1.0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Ours(benchmark::State& state) {
  const auto* kernels =
      state.range(0) == 0 ? &tarnwick::resamplekernels::kBaselineKernels : tarnwick::resamplekernels::avx2Kernels();
  if (!kernels) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  for (auto _ : state) state.SetIterationTime(oursSeconds(*kernels));
  state.SetLabel(kernels->name);
}

void BM_Soxr(benchmark::State& state) {
  for (auto _ : state) {
    const double seconds = soxrSeconds(int(state.range(0)));
    if (seconds < 0) {
      state.SkipWithError("soxr failed");
      return;
    }
    state.SetIterationTime(seconds);
  }
  state.SetLabel(state.range(0) == 0 ? "HQ" : "matched");
}

// Turns alternate in every iteration so that drift on a shared machine hits both alike; the fastest
// round of each counts, which is the least disturbed one.
void BM_RatioOursToSoxr(benchmark::State& state) {
  double ours = 1e9;
  double reference = 1e9;
  const auto& kernels = tarnwick::resamplekernels::activeKernels();
  for (auto _ : state) {
    ours = std::min(ours, oursSeconds(kernels));
    reference = std::min(reference, soxrSeconds(int(state.range(0))));
  }
  state.counters["ours_ms"] = 1e3 * ours;
  state.counters["soxr_ms"] = 1e3 * reference;
  state.counters["ratio"] = ours / reference;
  state.SetLabel(state.range(0) == 0 ? "against HQ" : "against matched");
}

BENCHMARK(BM_Ours)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(0)->Arg(1);
BENCHMARK(BM_Soxr)->Unit(benchmark::kMillisecond)->UseManualTime()->Arg(0)->Arg(1);
BENCHMARK(BM_RatioOursToSoxr)->Unit(benchmark::kMillisecond)->Iterations(20)->Arg(0)->Arg(1);

}  // namespace

int main(int argc, char** argv) {
  input = makeInput();
  const tarnwick::Resampler resampler(kInRate, kOutRate);
  const auto total = size_t(resampler.outputFrames(kFrames));
  output = Audio{std::vector<float>(total), std::vector<float>(total)};
  std::printf("filter: %d taps x %u phases; soxr %s\n", resampler.taps(), resampler.phases(), soxr_version());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
