// Saving and loading a bank of five minutes of stereo audio through the instance, against one
// plain fwrite / fread of the same bytes (the reference read allocates its buffer as a load must).
// A save over an existing bank writes a new file and renames it over the old one; the reference
// truncates and rewrites in place. Saving to a new name compares the writers alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "plugin/aPlug.h"
#include "storage/BankFile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kFrames = 5 * 60 * 44100;

std::string bankPath;
std::string referencePath;
std::unique_ptr<tarnwick::aPlug> saver;
std::unique_ptr<tarnwick::aPlug> loader;
std::vector<uint8_t> image;  // the saved bank's bytes, written and read by the reference

tarnwick::platform::MessageBoxAnswer yes(const char*, const char*, tarnwick::platform::MessageBoxButtons) {
  return tarnwick::platform::MessageBoxAnswer::kYes;
}

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double saveOurs() {
  const auto start = Clock::now();
  if (saver->core().saveBank(bankPath.c_str()) != tarnwick::kStorageOk) return -1.0;
  return seconds(start);
}

double saveReference() {
  const auto start = Clock::now();
  std::FILE* f = std::fopen(referencePath.c_str(), "wb");
  if (!f) return -1.0;
  const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
  if (std::fclose(f) != 0 || !ok) return -1.0;
  return seconds(start);
}

double loadOurs() {
  const auto start = Clock::now();
  if (loader->core().loadBank(bankPath.c_str()) != tarnwick::kStorageOk) return -1.0;
  return seconds(start);
}

double loadReference() {
  const auto start = Clock::now();
  std::FILE* f = std::fopen(referencePath.c_str(), "rb");
  if (!f) return -1.0;
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[image.size()]);
  const bool ok = std::fread(bytes.get(), 1, image.size(), f) == image.size();
  std::fclose(f);
  benchmark::DoNotOptimize(bytes.get());
  bytes.reset();
  return ok ? seconds(start) : -1.0;
}

// Saving to a name that does not exist yet: the files of the previous round are removed untimed.
double saveOursNew() {
  std::error_code error;
  fs::remove(bankPath, error);
  return saveOurs();
}

double saveReferenceNew() {
  std::error_code error;
  fs::remove(referencePath, error);
  return saveReference();
}

// Ours and the reference alternate in every iteration so that drift on a shared machine hits both.
void ratio(benchmark::State& state, double (*ours)(), double (*reference)()) {
  double oursTotal = 0.0;
  double referenceTotal = 0.0;
  for (auto _ : state) {
    const double a = ours();
    const double b = reference();
    if (a < 0.0 || b < 0.0) {
      state.SkipWithError("save or load failed");
      return;
    }
    oursTotal += a;
    referenceTotal += b;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1e3 * oursTotal / n;
  state.counters["stdio_ms"] = 1e3 * referenceTotal / n;
  state.counters["ratio"] = oursTotal / referenceTotal;
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(image.size()));
}

void BM_SaveBankVsFwrite(benchmark::State& state) { ratio(state, saveOurs, saveReference); }
void BM_SaveNewBankVsFwrite(benchmark::State& state) { ratio(state, saveOursNew, saveReferenceNew); }
void BM_LoadBankVsFread(benchmark::State& state) { ratio(state, loadOurs, loadReference); }

BENCHMARK(BM_SaveBankVsFwrite)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_SaveNewBankVsFwrite)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_LoadBankVsFread)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

bool setUp(const fs::path& folder) {
  tarnwick::platform::setMessageBoxHandler(yes);
  tarnwick::platform::setRegistryRootForTesting((folder / "no-hive").c_str());
  bankPath = (folder / "five-minutes.vlb").string();
  referencePath = (folder / "five-minutes.raw").string();
  saver = std::make_unique<tarnwick::aPlug>(nullptr);
  loader = std::make_unique<tarnwick::aPlug>(nullptr);
  tarnwick::ChannelPair audio;
  audio.frameCount = kFrames;
  audio.left.reset(new float[kFrames + 1]);
  audio.right.reset(new float[kFrames + 1]);
  std::mt19937 noise(7);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  for (int32_t i = 0; i <= kFrames; ++i) {
    audio.left[i] = sample(noise);
    audio.right[i] = sample(noise);
  }
  saver->core().modelForTesting().replaceBuffer(std::move(audio));
  if (saver->core().saveBank(bankPath.c_str()) != tarnwick::kStorageOk) return false;
  std::FILE* f = std::fopen(bankPath.c_str(), "rb");
  if (!f) return false;
  image.resize(tarnwick::bankFileSize(kFrames));
  const bool ok = std::fread(image.data(), 1, image.size(), f) == image.size();
  std::fclose(f);
  // Warm up both paths once.
  return ok && saveReference() >= 0.0 && loadOurs() >= 0.0 && loadReference() >= 0.0;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path folder = fs::temp_directory_path() / "tarnwick-bank-bench";
  fs::create_directories(folder);
  if (!setUp(folder)) {
    std::fprintf(stderr, "cannot prepare the bank files in %s\n", folder.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  saver.reset();
  loader.reset();
  fs::remove_all(folder);
  return 0;
}
