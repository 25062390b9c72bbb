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
class IdealKernel {
 public:
  IdealKernel() {
    FixedTempo tempo;
    auto engine = denseEngine(tempo, false);
    std::vector<float> l(kBlock), r(kBlock);
    for (int i = 0; i < 200; ++i) engine->render(l.data(), r.data(), kBlock);
    const uint64_t s0 = engine->grainSamplesPlayed(), r0 = engine->grainRunsPlayed();
    for (int i = 0; i < 100; ++i) engine->render(l.data(), r.data(), kBlock);
    const int64_t perBlock = static_cast<int64_t>((engine->grainSamplesPlayed() - s0) / 100);
    runsPerBlock_ = std::max<int64_t>(1, static_cast<int64_t>((engine->grainRunsPlayed() - r0) / 100));
    runLength_ = static_cast<int32_t>(std::min<int64_t>(kBlock, perBlock / runsPerBlock_));
    std::mt19937 rng(2);
    starts_.resize(static_cast<size_t>(runsPerBlock_));
    for (auto& s : starts_) s = static_cast<int32_t>(rng() % (kFrames - kBlock));
  }

  // One block's worth of runs; returns the samples mixed.
  uint64_t block(float* l, float* r) {
    for (int64_t run = 0; run < runsPerBlock_; ++run) {
      const float* sl = src_.left.get() + starts_[static_cast<size_t>(run)];
      const float* sr = src_.right.get() + starts_[static_cast<size_t>(run)];
      float* __restrict ol = l;
      float* __restrict orr = r;
      const float g0 = 0.1f, dg = 0.001f;
      for (int32_t i = 0; i < runLength_; ++i) {
        const float g = g0 + dg * static_cast<float>(i);
        ol[i] += sl[i] * g;
        orr[i] += sr[i] * g;
      }
      starts_[static_cast<size_t>(run)] = (starts_[static_cast<size_t>(run)] + kBlock) % (kFrames - kBlock);
    }
    benchmark::DoNotOptimize(l);
    return static_cast<uint64_t>(runsPerBlock_) * static_cast<uint64_t>(runLength_);
  }

 private:
  ChannelPair src_ = makeRecording();
  int64_t runsPerBlock_ = 1;
  int32_t runLength_ = 0;
  std::vector<int32_t> starts_;
};

void idealKernel(benchmark::State& state) {
  IdealKernel ideal;
  std::vector<float> l(kBlock), r(kBlock);
  uint64_t samples = 0;
  const double t0 = threadCpuNs();
  for (auto _ : state) samples += ideal.block(l.data(), r.data());
  gIdeal = (threadCpuNs() - t0) / static_cast<double>(samples);
  state.counters["ns_per_grain_sample"] =
      benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// On a shared machine the separate runs above can catch different loads. Here the three take turns,
// a few blocks at a time, and the fastest of many rounds of each is compared.
void printInterleavedRatios() {
  constexpr int kRounds = 300;
  constexpr int kBlocksPerRound = 8;
  FixedTempo tempo;
  std::unique_ptr<Engine> engines[2] = {denseEngine(tempo, false), denseEngine(tempo, true)};
  IdealKernel ideal;
  std::vector<float> l(kBlock), r(kBlock);
  for (auto& e : engines)
    for (int i = 0; i < 200; ++i) e->render(l.data(), r.data(), kBlock);
  double best[3] = {1e30, 1e30, 1e30};  // ns per grain-sample: normal, trigger, ideal
  for (int round = 0; round < kRounds; ++round) {
    for (int which = 0; which < 2; ++which) {
      Engine& e = *engines[which];
      const uint64_t s0 = e.grainSamplesPlayed();
      const double t0 = threadCpuNs();
      for (int b = 0; b < kBlocksPerRound; ++b) e.render(l.data(), r.data(), kBlock);
      const double ns = threadCpuNs() - t0;
      best[which] = std::min(best[which], ns / static_cast<double>(e.grainSamplesPlayed() - s0));
    }
    uint64_t samples = 0;
    const double t0 = threadCpuNs();
    for (int b = 0; b < kBlocksPerRound; ++b) samples += ideal.block(l.data(), r.data());
    best[2] = std::min(best[2], (threadCpuNs() - t0) / static_cast<double>(samples));
  }
  std::printf("interleaved, fastest of %d rounds: ideal kernel %.3f ns per grain-sample\n", kRounds, best[2]);
  std::printf("render normal : %.3f ns per grain-sample, %.2fx the ideal kernel\n", best[0], best[0] / best[2]);
  std::printf("render trigger: %.3f ns per grain-sample, %.2fx the ideal kernel\n", best[1], best[1] / best[2]);
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
  printInterleavedRatios();
  return 0;
}
