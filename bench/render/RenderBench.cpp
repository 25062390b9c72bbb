// Render cost per grain-sample in a dense scenario, against the ideal stereo multiply-add kernel
// over the same number of grain-samples and runs, measured in the same binary.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include <time.h>

#include "engine/Engine.h"

namespace {

using namespace tarnwick;

// CPU nanoseconds per grain-sample of each benchmark, for the ratios printed at the end.
double gNormal = 0, gTrigger = 0, gIdeal = 0;

double threadCpuNs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

constexpr int32_t kFrames = 6 * 44100;  // larger than the caches, like a real recording
constexpr int32_t kBlock = 512;

struct FixedTempo : HostTime {
  bool readTempo(int32_t, double& bpm) override {
    bpm = 120.0;
    return true;
  }
};

ChannelPair makeRecording() {
  ChannelPair p;
  p.frameCount = kFrames;
  p.left = std::make_unique<float[]>(kFrames + 1);
  p.right = std::make_unique<float[]>(kFrames + 1);
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  for (int32_t i = 0; i < kFrames; ++i) {
    p.left[i] = d(rng);
    p.right[i] = d(rng);
  }
  return p;
}

// 61 keys held on the master row, every delay 0.08 at the 200 ms range, grains of 1/4 beat at
// 120 BPM, fades 0.5.
std::unique_ptr<Engine> denseEngine(FixedTempo& tempo, bool trigger) {
  auto e = std::make_unique<Engine>(&tempo);
  e->resume(44100.0f);
  e->replaceBuffer(makeRecording());
  e->setParameter(kTrigmode, trigger ? 1.0f : 0.0f);
  e->setParameter(kUnitDura, 3.0f / 8.0f);
  e->setParameter(kEnvelope, 0.5f);
  for (int32_t i = kDelay01; i <= kDelay32; ++i) e->setParameter(i, 0.08f);
  std::vector<MidiMessage> notes;
  for (uint8_t k = 36; k <= 96; ++k) notes.push_back({0, 0x90, k, 100});
  e->processMidi(notes.data(), static_cast<int32_t>(notes.size()));
  return e;
}

void renderDense(benchmark::State& state, bool trigger) {
  FixedTempo tempo;
  auto engine = denseEngine(tempo, trigger);
  std::vector<float> l(kBlock), r(kBlock);
  for (int i = 0; i < 200; ++i) engine->render(l.data(), r.data(), kBlock);  // reach the steady state
  const uint64_t samples0 = engine->grainSamplesPlayed();
  const double t0 = threadCpuNs();
  for (auto _ : state) {
    engine->render(l.data(), r.data(), kBlock);
    benchmark::DoNotOptimize(l.data());
  }
  const double grainSamples = static_cast<double>(engine->grainSamplesPlayed() - samples0);
  (trigger ? gTrigger : gNormal) = (threadCpuNs() - t0) / grainSamples;
  state.counters["ns_per_grain_sample"] =
      benchmark::Counter(grainSamples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["grain_samples_per_block"] = grainSamples / static_cast<double>(state.iterations());
}

// out += src × gain ramp over runs of the same average length as the dense render's.
void idealKernel(benchmark::State& state) {
  FixedTempo tempo;
  auto engine = denseEngine(tempo, false);
  std::vector<float> l(kBlock), r(kBlock);
  for (int i = 0; i < 200; ++i) engine->render(l.data(), r.data(), kBlock);
  const uint64_t s0 = engine->grainSamplesPlayed(), r0 = engine->grainRunsPlayed();
  for (int i = 0; i < 100; ++i) engine->render(l.data(), r.data(), kBlock);
  const int64_t perBlock = static_cast<int64_t>((engine->grainSamplesPlayed() - s0) / 100);
  const int64_t runsPerBlock = std::max<int64_t>(1, static_cast<int64_t>((engine->grainRunsPlayed() - r0) / 100));
  const int32_t runLength = static_cast<int32_t>(std::min<int64_t>(kBlock, perBlock / runsPerBlock));
  ChannelPair src = makeRecording();
  std::mt19937 rng(2);
  std::vector<int32_t> starts(static_cast<size_t>(runsPerBlock));
  for (auto& s : starts) s = static_cast<int32_t>(rng() % (kFrames - kBlock));
  uint64_t samples = 0;
  const double t0 = threadCpuNs();
  for (auto _ : state) {
    for (int64_t run = 0; run < runsPerBlock; ++run) {
      const float* sl = src.left.get() + starts[static_cast<size_t>(run)];
      const float* sr = src.right.get() + starts[static_cast<size_t>(run)];
      float* __restrict ol = l.data();
      float* __restrict orr = r.data();
      const float g0 = 0.1f, dg = 0.001f;
      for (int32_t i = 0; i < runLength; ++i) {
        const float g = g0 + dg * static_cast<float>(i);
        ol[i] += sl[i] * g;
        orr[i] += sr[i] * g;
      }
      starts[static_cast<size_t>(run)] = (starts[static_cast<size_t>(run)] + kBlock) % (kFrames - kBlock);
    }
    samples += static_cast<uint64_t>(runsPerBlock) * static_cast<uint64_t>(runLength);
    benchmark::DoNotOptimize(l.data());
  }
  gIdeal = (threadCpuNs() - t0) / static_cast<double>(samples);
  state.counters["ns_per_grain_sample"] =
      benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK_CAPTURE(renderDense, normal, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(renderDense, trigger, true)->Unit(benchmark::kMicrosecond);
BENCHMARK(idealKernel)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (gIdeal > 0) {
    std::printf("render normal : %.3f ns per grain-sample, %.2fx the ideal kernel (%.3f ns)\n", gNormal,
                gNormal / gIdeal, gIdeal);
    std::printf("render trigger: %.3f ns per grain-sample, %.2fx the ideal kernel\n", gTrigger, gTrigger / gIdeal);
  }
  return 0;
}
