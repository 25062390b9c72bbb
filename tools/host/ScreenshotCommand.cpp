// tarnwick-host screenshot: opens the plug-in's editor without a display (the editor probe), optionally
// after restoring a session and playing a note, clicks where asked, and writes the window as a PNG.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "tools/host/Commands.h"
#include "tools/host/SessionChunk.h"
#include "tools/hostlib/PluginHost.h"
#include "vst/EditorProbe.h"

namespace tarnwick::host {
namespace {

constexpr int kExitBadArguments = 2, kExitBadInput = 3, kExitPluginFailed = 4, kExitOutputFailed = 5;
constexpr int32_t kBlock = 512;

const char* screenshotUsage() {
  return "Usage: tarnwick-host screenshot PLUGIN.so OUT.png [options]\n"
         "  --chunk FILE     restore this saved chunk first (and so load its recording)\n"
         "  --sample FILE    restore a session whose recording is FILE\n"
         "  --click X,Y      left click at window pixel X,Y (repeatable, in order; a click that opens a menu\n"
         "                   leaves it open for the next click to pick an entry)\n"
         "  --select-file PATH  answer the plug-in's next file-selector request with PATH (repeatable, in\n"
         "                   order; a request with no answer left is cancelled)\n"
         "  --note KEY       play MIDI key KEY (0..127) for half a second before the picture\n"
         "  --chunk-out FILE write the plug-in's state chunk after the clicks\n";
}

struct ScreenshotOptions {
  std::string pluginPath, outPath, chunkPath, samplePath, chunkOutPath;
  std::vector<std::pair<int32_t, int32_t>> clicks;
  std::vector<std::string> selectFiles;
  int32_t note = -1;
};

int failWith(int code, const std::string& message) {
  std::fprintf(stderr, "screenshot: %s\n", message.c_str());
  return code;
}

bool parse(int argc, char** argv, ScreenshotOptions& o, std::string& error) {
  std::vector<std::string> positional;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--chunk" || arg == "--sample" || arg == "--click" || arg == "--note" || arg == "--select-file" ||
        arg == "--chunk-out") {
      if (!hasValue) {
        error = arg + " needs a value";
        return false;
      }
      const std::string value = argv[++i];
      if (arg == "--chunk") o.chunkPath = value;
      if (arg == "--sample") o.samplePath = value;
      if (arg == "--chunk-out") o.chunkOutPath = value;
      if (arg == "--select-file") o.selectFiles.push_back(value);
      if (arg == "--click") {
        int x = 0, y = 0;
        char tail = 0;
        if (std::sscanf(value.c_str(), "%d,%d%c", &x, &y, &tail) != 2) {
          error = "--click wants X,Y, not '" + value + "'";
          return false;
        }
        o.clicks.emplace_back(x, y);
      }
      if (arg == "--note") {
        char tail = 0;
        if (std::sscanf(value.c_str(), "%d%c", &o.note, &tail) != 1 || o.note < 0 || o.note > 127) {
          error = "--note wants a key 0..127, not '" + value + "'";
          return false;
        }
      }
    } else if (arg.rfind("--", 0) == 0) {
      error = "unknown option " + arg;
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    error = "give the plug-in and the output file";
    return false;
  }
  o.pluginPath = positional[0];
  o.outPath = positional[1];
  return true;
}

bool readFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

intptr_t probe(PluginHost& host, EditorProbeCommand command, EditorProbeRecord& record) {
  return host.dispatch(effVendorSpecific, kEditorProbeIndex, command, &record);
}

bool idle(PluginHost& host, int32_t count) {
  EditorProbeRecord r;
  r.count = count;
  return probe(host, kProbeIdle, r) == 1;
}

bool mouse(PluginHost& host, int32_t x, int32_t y, int32_t buttons) {
  EditorProbeRecord r;
  r.x = x;
  r.y = y;
  r.buttons = buttons;
  return probe(host, kProbeMouse, r) == 1;
}

bool writePng(const std::string& path, const std::vector<uint32_t>& pixels, int32_t width, int32_t height) {
  std::vector<unsigned char> rgb;
  rgb.reserve(pixels.size() * 3);
  for (uint32_t p : pixels) {
    rgb.push_back(static_cast<unsigned char>(p >> 16));
    rgb.push_back(static_cast<unsigned char>(p >> 8));
    rgb.push_back(static_cast<unsigned char>(p));
  }
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

}  // namespace

int runScreenshot(int argc, char** argv) {
  ScreenshotOptions o;
  std::string error;
  if (argc == 1 && (std::string(argv[0]) == "--help" || std::string(argv[0]) == "-h")) {
    std::fputs(screenshotUsage(), stdout);
    return 0;
  }
  if (!parse(argc, argv, o, error)) {
    std::fprintf(stderr, "screenshot: %s\n%s", error.c_str(), screenshotUsage());
    return kExitBadArguments;
  }
  std::vector<uint8_t> chunk;
  if (!o.chunkPath.empty() && !readFile(o.chunkPath, chunk))
    return failWith(kExitBadInput, "cannot read " + o.chunkPath);

  std::unique_ptr<PluginHost> host = PluginHost::load(o.pluginPath, &error);
  if (!host) return failWith(kExitPluginFailed, error);
  host->setSampleRate(44100.0f);
  host->setBlockSize(kBlock);
  // With answers given, the host's file selector serves the editor's dialogs; without, the editor opens
  // its own browser (a click on a dialog button pictures it).
  if (!o.selectFiles.empty()) host->offerFileSelector(o.selectFiles);
  host->resume();
  if (!o.samplePath.empty()) {
    std::error_code ec;
    const std::string absolute = std::filesystem::absolute(o.samplePath, ec).lexically_normal().string();
    if (chunk.empty()) chunk = host->getChunk(false);
    if (ec || !writeChunkPath(chunk, absolute, &error)) return failWith(kExitBadInput, error);
  }
  if (!chunk.empty() && host->setChunk(chunk, false) == 0)
    return failWith(kExitBadInput, "the plug-in refused the chunk");

  EditorProbeRecord opened;
  if (probe(*host, kProbeOpen, opened) != 1) return failWith(kExitPluginFailed, "the plug-in has no editor probe");
  idle(*host, 2);
  // Every click is queued before the editor runs: a menu a click opens takes the next click from the
  // queue, as it would take the user's.
  for (const auto& [x, y] : o.clicks) {
    mouse(*host, x, y, 1);
    mouse(*host, x, y, 0);
  }
  // The mouse then leaves the window, so no highlight stays on the last click's control.
  mouse(*host, -10, -10, 0);
  idle(*host, 2);
  if (o.note >= 0) {
    std::vector<float> left(kBlock), right(kBlock);
    host->startProcess();
    host->sendMidi({{0, 0x90, static_cast<uint8_t>(o.note), 100}});
    for (int32_t block = 0; block < 44100 / 2 / kBlock; ++block) {
      host->process(left.data(), right.data(), kBlock);
      if (block % 8 == 0) idle(*host, 1);
    }
  }
  idle(*host, 3);
  if (!o.chunkOutPath.empty()) {
    const std::vector<uint8_t> state = host->getChunk(false);
    std::ofstream out(o.chunkOutPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(state.data()), static_cast<std::streamsize>(state.size()));
    if (!out) return failWith(kExitOutputFailed, "cannot write " + o.chunkOutPath);
  }

  EditorProbeRecord read;
  std::vector<uint32_t> pixels(static_cast<size_t>(opened.width) * static_cast<size_t>(opened.height));
  read.pixels = pixels.data();
  read.pixelCapacity = static_cast<int32_t>(pixels.size());
  if (probe(*host, kProbeRead, read) != 1) return failWith(kExitPluginFailed, "cannot read the editor's pixels");
  EditorProbeRecord closing;
  probe(*host, kProbeClose, closing);
  if (o.note >= 0) host->stopProcess();
  host->close();
  if (!writePng(o.outPath, pixels, read.width, read.height))
    return failWith(kExitOutputFailed, "cannot write " + o.outPath);
  std::printf("wrote the editor (%d x %d) to %s\n", read.width, read.height, o.outPath.c_str());
  return 0;
}

}  // namespace tarnwick::host
