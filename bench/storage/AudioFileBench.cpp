// Loading a 60 s stereo 24-bit WAV: our reader against libsndfile's sf_readf_float plus
// de-interleaving into two channel arrays. The file is generated once and sits in the page cache.
// Every large array is mapped afresh (as the new buffer of a load in a host is): otherwise the
// allocator's trim heuristics decide whether a repeated load gets recycled pages, and the
// figures swing with the order in which the benchmarks run.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "storage/AudioFileReader.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 60 * kRate;
std::string benchFile;

bool writeBenchFile(const std::string& path) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::mt19937 random(7);
  std::vector<int> block(2 * 4096);
  for (int done = 0; done < kFrames;) {
    const int count = std::min(4096, kFrames - done);
    for (int i = 0; i < count; ++i) {
      const double t = double(done + i) / kRate;
      block[size_t(2 * i)] = int(std::sin(t * 2 * M_PI * 220.0) * 1.9e9) + int(random() % 65536);
      block[size_t(2 * i + 1)] = int(std::sin(t * 2 * M_PI * 331.0) * 1.9e9) - int(random() % 65536);
    }
    sf_writef_int(file, block.data(), count);
    done += count;
  }
  return sf_close(file) == 0;
}

struct Channels {
  int32_t frameCount = 0;
  std::unique_ptr<float[]> left;
  std::unique_ptr<float[]> right;
};

// The way a libsndfile user fills two channel arrays: blocks of interleaved floats, split.
bool loadWithSndfile(const char* path, Channels& out) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (!file) return false;
  const auto frames = size_t(info.frames);
  out.left.reset(new float[frames + 1]);
  out.right.reset(new float[frames + 1]);
  constexpr size_t kBlock = 4096;
  float interleaved[2 * kBlock];
  for (size_t done = 0; done < frames;) {
    const sf_count_t got = sf_readf_float(file, interleaved, sf_count_t(std::min(kBlock, frames - done)));
    if (got <= 0) break;
    for (size_t i = 0; i < size_t(got); ++i) {
      out.left[done + i] = interleaved[2 * i];
      out.right[done + i] = interleaved[2 * i + 1];
    }
    done += size_t(got);
  }
  out.left[frames] = 0.0f;
  out.right[frames] = 0.0f;
  out.frameCount = int32_t(frames);
  sf_close(file);
  return true;
}

double loadOursSeconds(size_t blockBytes = tarnwick::kAudioReadBlockBytes) {
  const auto start = std::chrono::steady_clock::now();
  tarnwick::ChannelPair audio;
  if (tarnwick::readAudioFileInBlocks(benchFile.c_str(), audio, blockBytes) != tarnwick::kStorageOk) {
    return -1.0;
  }
  benchmark::DoNotOptimize(audio.left.get());
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

double loadSndfileSeconds() {
  const auto start = std::chrono::steady_clock::now();
  Channels channels;
  if (!loadWithSndfile(benchFile.c_str(), channels)) return -1.0;
  benchmark::DoNotOptimize(channels.left.get());
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

// Argument: read block size in KiB, 0 for all sample data in one read.
size_t blockBytes(const benchmark::State& state) {
  return state.range(0) == 0 ? SIZE_MAX : size_t(state.range(0)) * 1024;
}

void BM_ReadAudioFile(benchmark::State& state) {
  const size_t block = blockBytes(state);
  for (auto _ : state) {
    tarnwick::ChannelPair audio;
    if (tarnwick::readAudioFileInBlocks(benchFile.c_str(), audio, block) != tarnwick::kStorageOk) {
      state.SkipWithError("readAudioFile failed");
      break;
    }
    benchmark::DoNotOptimize(audio.left.get());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kFrames) * 6);
}

void BM_SndfileReadfFloat(benchmark::State& state) {
  for (auto _ : state) {
    Channels channels;
    if (!loadWithSndfile(benchFile.c_str(), channels)) {
      state.SkipWithError("sf_open failed");
      break;
    }
    benchmark::DoNotOptimize(channels.left.get());
  }
  state.SetBytesProcessed(state.iterations() * int64_t(kFrames) * 6);
}

// Both loads alternate in every iteration so that drift on the shared machine hits both alike.
void BM_RatioOursToSndfile(benchmark::State& state) {
  const size_t block = blockBytes(state);
  double ours = 0.0;
  double reference = 0.0;
  for (auto _ : state) {
    ours += loadOursSeconds(block);
    reference += loadSndfileSeconds();
  }
  const double n = double(state.iterations());
  state.counters["ours_ms"] = 1e3 * ours / n;
  state.counters["sndfile_ms"] = 1e3 * reference / n;
  state.counters["ratio"] = ours / reference;
}

constexpr int64_t kDefaultBlockKiB = int64_t(tarnwick::kAudioReadBlockBytes / 1024);

BENCHMARK(BM_ReadAudioFile)->Unit(benchmark::kMillisecond)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(0);
BENCHMARK(BM_SndfileReadfFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RatioOursToSndfile)->Unit(benchmark::kMillisecond)->MinTime(3.0)->Arg(kDefaultBlockKiB)->Arg(0);

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
  const auto folder = std::filesystem::temp_directory_path() / "tarnwick-storage-bench";
  std::filesystem::create_directories(folder);
  benchFile = (folder / "sixty-seconds-24bit-stereo.wav").string();
  if (!writeBenchFile(benchFile)) {
    std::fprintf(stderr, "cannot write %s\n", benchFile.c_str());
    return 1;
  }
  // Warm the page cache for both readers.
  if (loadOursSeconds() < 0.0 || loadSndfileSeconds() < 0.0) {
    std::fprintf(stderr, "cannot load %s\n", benchFile.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
