// Loading a minute of stereo audio at the working rate (16- and 24-bit, WAV and AIFF): our reader
// against libsndfile's sf_readf_float in blocks plus de-interleaving into two channel arrays. The files
// are generated once and sit in the page cache. Every large array is mapped afresh (as the new buffer
// of a load in a host is): otherwise the allocator's trim heuristics decide whether a repeated load
// gets recycled pages, and the figures swing with the order in which the benchmarks run. The summary
// prints the median ratio of each format from the alternating runs.
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "storage/AudioFileReader.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFrames = 60 * kRate;

struct Format {
  const char* name;
  int sndfileFormat;
  int bytesPerFrame;
};
constexpr Format kFormats[] = {{"wav-24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 6},
                               {"wav-16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 4},
                               {"aiff-24", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 6},
                               {"aiff-16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 4}};
constexpr int kFormatCount = 4;
std::string benchFiles[kFormatCount];
std::string benchFile;  // the 24-bit WAV, for the block-size runs

bool writeBenchFile(const std::string& path, int format) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = format;
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

double loadOursSeconds(const std::string& path, size_t blockBytes = tarnwick::kAudioReadBlockBytes) {
  const auto start = std::chrono::steady_clock::now();
  tarnwick::ChannelPair audio;
  if (tarnwick::readAudioFileInBlocks(path.c_str(), audio, blockBytes) != tarnwick::kStorageOk) {
    return -1.0;
  }
  benchmark::DoNotOptimize(audio.left.get());
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

double loadSndfileSeconds(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  Channels channels;
  if (!loadWithSndfile(path.c_str(), channels)) return -1.0;
  benchmark::DoNotOptimize(channels.left.get());
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

// Read block size in KiB, 0 for all sample data in one read.
size_t blockBytes(int64_t kib) { return kib == 0 ? SIZE_MAX : size_t(kib) * 1024; }

// Argument: read block size in KiB.
void BM_ReadAudioFile(benchmark::State& state) {
  const size_t block = blockBytes(state.range(0));
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

// The same load through an instance, as the editor's file selector or a restored session asks for it:
// the recording read, handed to the engine, and the one it replaces released.
std::unique_ptr<tarnwick::aPlug> instance;

double loadInstanceSeconds(const std::string& path) {
  const auto start = std::chrono::steady_clock::now();
  if (instance->core().loadAudioFile(path.c_str()) != tarnwick::kStorageOk) return -1.0;
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(end - start).count();
}

// Both loads alternate in every iteration so that drift on the shared machine hits both alike.
// Arguments: the format (index into kFormats) and the read block size in KiB (-1: through an instance).
void BM_RatioOursToSndfile(benchmark::State& state) {
  const std::string& path = benchFiles[state.range(0)];
  const bool throughInstance = state.range(1) < 0;
  const size_t block = blockBytes(std::max<int64_t>(state.range(1), 0));
  state.SetLabel(std::string(kFormats[state.range(0)].name) + (throughInstance ? " instance" : ""));
  double ours = 0.0;
  double reference = 0.0;
  for (auto _ : state) {
    ours += throughInstance ? loadInstanceSeconds(path) : loadOursSeconds(path, block);
    reference += loadSndfileSeconds(path);
  }
  const double n = double(state.iterations());
  state.counters["ours_ms"] = 1e3 * ours / n;
  state.counters["sndfile_ms"] = 1e3 * reference / n;
  state.counters["ratio"] = ours / reference;
}

constexpr int64_t kDefaultBlockKiB = int64_t(tarnwick::kAudioReadBlockBytes / 1024);

BENCHMARK(BM_ReadAudioFile)->Unit(benchmark::kMillisecond)->Arg(64)->Arg(256)->Arg(1024)->Arg(4096)->Arg(0);
BENCHMARK(BM_SndfileReadfFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RatioOursToSndfile)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->ArgNames({"format", "blockKiB"})
    ->Args({0, kDefaultBlockKiB})
    ->Args({1, kDefaultBlockKiB})
    ->Args({2, kDefaultBlockKiB})
    ->Args({3, kDefaultBlockKiB})
    ->Args({0, 0})
    ->Args({0, -1})
    ->Args({1, -1});

// Console output plus a closing summary: each alternating run's ratio (the median of the repetitions
// when there are several).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto ratio = run.counters.find("ratio");
      if (run.error_occurred || ratio == run.counters.end()) continue;
      Entry& entry = entries_[run.run_name.str()];
      entry.label = run.report_label;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || (run.run_type == Run::RT_Iteration && !entry.fromMedian)) {
        entry.ratio = ratio->second.value;
        entry.ours = run.counters.at("ours_ms").value;
        entry.reference = run.counters.at("sndfile_ms").value;
        entry.fromMedian = median;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void printSummary() const {
    std::printf("\nload of 60 s stereo at 44.1 kHz, ours against libsndfile in blocks (same run):\n");
    for (const auto& [name, e] : entries_) {
      std::printf("%-46s %-8s ours %7.2f ms   libsndfile %7.2f ms   ratio %5.2fx\n", name.c_str(), e.label.c_str(),
                  e.ours, e.reference, e.ratio);
    }
  }

 private:
  struct Entry {
    std::string label;
    double ratio = 0.0, ours = 0.0, reference = 0.0;
    bool fromMedian = false;
  };
  std::map<std::string, Entry> entries_;
};

}  // namespace

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
#endif
  const auto folder = std::filesystem::temp_directory_path() / "tarnwick-storage-bench";
  std::filesystem::create_directories(folder);
  for (int f = 0; f < kFormatCount; ++f) {
    const std::string& path = benchFiles[f] = (folder / (std::string("sixty-seconds-") + kFormats[f].name)).string();
    if (!writeBenchFile(path, kFormats[f].sndfileFormat)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
    // Warm the page cache for both readers.
    if (loadOursSeconds(path) < 0.0 || loadSndfileSeconds(path) < 0.0) {
      std::fprintf(stderr, "cannot load %s\n", path.c_str());
      return 1;
    }
  }
  benchFile = benchFiles[0];
  tarnwick::platform::setRegistryRootForTesting((folder / "no-hive").c_str());
  instance = std::make_unique<tarnwick::aPlug>(nullptr);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printSummary();
  benchmark::Shutdown();
  instance.reset();
  std::filesystem::remove_all(folder);
  return 0;
}
