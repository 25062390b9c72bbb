// A ten-minute 96 kHz stereo 24-bit recording loaded from the editor (dropped on the wave display) while
// the host calls the editor's idle every 10 ms, as a host's timer does: the longest idle call and the
// whole load's time, against the synchronous load of the same file (what one idle call took before,
// with the host's window frozen meanwhile). The working rate is 44.1 kHz, so the recording is converted.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/EditorLink.h"
#include "editor/ADEditor.h"
#include "platform/OffscreenWindow.h"
#include "platform/Registry.h"
#include "plugin/aPlug.h"

namespace {

constexpr uint32_t kFileRate = 96000;
constexpr int64_t kFrames = int64_t(kFileRate) * 600;
std::string benchFile;

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool writeBenchFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const auto u32 = [&](uint32_t v) {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::fwrite(b, 1, 4, f);
  };
  const auto u16 = [&](uint16_t v) {
    const uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    std::fwrite(b, 1, 2, f);
  };
  const auto dataBytes = uint32_t(kFrames * 6);
  std::fwrite("RIFF", 1, 4, f);
  u32(36 + dataBytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  u32(16);
  u16(1);
  u16(2);
  u32(kFileRate);
  u32(kFileRate * 6);
  u16(6);
  u16(24);
  std::fwrite("data", 1, 4, f);
  u32(dataBytes);
  // A triangle on the left, a faster one on the right: cheap to make, full of content to convert.
  std::vector<uint8_t> block(6 * 65536);
  for (int64_t done = 0; done < kFrames;) {
    const int64_t count = std::min<int64_t>(65536, kFrames - done);
    for (int64_t i = 0; i < count; ++i) {
      const int64_t n = done + i;
      const int32_t l = int32_t((n * 97) % 8000000) - 4000000;
      const int32_t r = int32_t((n * 211) % 6000000) - 3000000;
      uint8_t* p = block.data() + 6 * i;
      p[0] = uint8_t(l), p[1] = uint8_t(l >> 8), p[2] = uint8_t(l >> 16);
      p[3] = uint8_t(r), p[4] = uint8_t(r >> 8), p[5] = uint8_t(r >> 16);
    }
    std::fwrite(block.data(), 1, size_t(6 * count), f);
    done += count;
  }
  return std::fclose(f) == 0;
}

struct Instance {
  std::unique_ptr<tarnwick::aPlug> plug = std::make_unique<tarnwick::aPlug>(nullptr);
  tarnwick::ADEditor& editor = plug->core().editorLink()->editor();
  tarnwick::platform::OffscreenWindow* window = nullptr;
  Instance() {
    auto w = std::make_unique<tarnwick::platform::OffscreenWindow>(554, 356);
    window = w.get();
    editor.openOn(std::move(w));
    editor.idle();
  }
};

// The load from the editor: every idle call timed, 10 ms apart.
void BM_EditorLoadIdle(benchmark::State& state) {
  double longest = 0.0, total = 0.0, idles = 0.0;
  for (auto _ : state) {
    Instance instance;
    tarnwick::platform::FileDrag drag;
    drag.paths.push_back(benchFile);
    instance.window->queueDrop(drag, 278, 90);
    const auto start = Clock::now();
    do {
      const auto before = Clock::now();
      instance.editor.idle();
      longest = std::max(longest, msSince(before));
      ++idles;
      if (instance.editor.loadingPercent() >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (instance.editor.loadingPercent() >= 0);
    total += msSince(start);
    if (instance.plug->core().modelState().buffer.frameCount != 44100 * 600) state.SkipWithError("not loaded");
    // And the idles that draw the new recording.
    for (int i = 0; i < 3; ++i) {
      const auto before = Clock::now();
      instance.editor.idle();
      longest = std::max(longest, msSince(before));
    }
  }
  const double n = double(state.iterations());
  state.counters["max_idle_ms"] = longest;
  state.counters["load_ms"] = total / n;
  state.counters["idles"] = idles / n;
}

// The same file loaded synchronously (the host's loads, a session's): the stall one idle call had before.
void BM_SynchronousLoad(benchmark::State& state) {
  double total = 0.0;
  for (auto _ : state) {
    Instance instance;
    const auto start = Clock::now();
    if (instance.plug->core().loadAudioFile(benchFile.c_str()) != tarnwick::kStorageOk) state.SkipWithError("failed");
    total += msSince(start);
  }
  state.counters["load_ms"] = total / double(state.iterations());
}

BENCHMARK(BM_EditorLoadIdle)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SynchronousLoad)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  const auto folder = std::filesystem::temp_directory_path() / "tarnwick-editor-load-bench";
  std::filesystem::create_directories(folder);
  benchFile = (folder / "ten-minutes-96k.wav").string();
  if (!writeBenchFile(benchFile)) {
    std::fprintf(stderr, "cannot write %s\n", benchFile.c_str());
    return 1;
  }
  tarnwick::platform::setRegistryRootForTesting((folder / "no-hive").c_str());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
