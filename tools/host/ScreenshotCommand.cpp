// tarnwick-host screenshot: opens the plug-in's editor without a display (the editor probe), optionally
// after restoring a session and playing a note, clicks where asked, and writes the window as a PNG.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBIW_WINDOWS_UTF8  // file names are UTF-8 on Windows too
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#include "platform/Paths.h"
#include "tools/host/CommandFiles.h"
#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"
#include "tools/host/Help.h"
#include "tools/host/SessionChunk.h"
#include "tools/hostlib/HostedInstrument.h"
#include "vst/EditorProbe.h"
#include "vst/VstInterface.h"

namespace tarnwick::host {
namespace {

constexpr const char* kScreenshotCommand = "screenshot";
constexpr int32_t kBlock = 512;
constexpr std::size_t kMaxChunkFileBytes = 16u * 1024u * 1024u;

// A click at (x, y), or a drop of the file at path there.
struct WindowAction {
  int32_t x = 0, y = 0;
  std::string path;  // empty for a click
};

struct ScreenshotOptions {
  std::string pluginPath, outPath, chunkPath, samplePath, chunkOutPath;
  std::vector<WindowAction> actions;  // in the order given
  std::vector<std::string> selectFiles;
  int32_t note = -1;
  double scale = 0.0;  // 0: the host gives no content scale
  bool help = false;
};

int failWith(int code, const std::string& message) { return commandError(kScreenshotCommand, code, message); }

constexpr OptionRule kScreenshotOptions[] = {{"--chunk", true}, {"--sample", true},      {"--click", true},
                                             {"--note", true},  {"--select-file", true}, {"--chunk-out", true},
                                             {"--drop", true},  {"--scale", true}};

// "X,Y" into x and y.
bool parsePoint(const std::string& text, int32_t& x, int32_t& y) {
  int px = 0, py = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d,%d%c", &px, &py, &tail) != 2) return false;
  x = px;
  y = py;
  return true;
}

bool parse(int argc, char** argv, ScreenshotOptions& o, std::string& error) {
  CommandLine line;
  if (!parseCommandLine(std::vector<std::string>(argv, argv + argc), kScreenshotOptions, line, &error)) return false;
  o.help = line.help;
  if (o.help) return true;
  for (const auto& [name, value] : line.options) {
    if (name == "--chunk") o.chunkPath = value;
    if (name == "--sample") o.samplePath = value;
    if (name == "--chunk-out") o.chunkOutPath = value;
    if (name == "--select-file") o.selectFiles.push_back(value);
    if (name == "--click") {
      WindowAction click;
      if (!parsePoint(value, click.x, click.y)) {
        error = "--click wants X,Y, not '" + value + "'";
        return false;
      }
      o.actions.push_back(click);
    }
    if (name == "--drop") {
      // The last '@' ends the file's name, which may hold one itself.
      const size_t at = value.rfind('@');
      WindowAction drop;
      if (at == std::string::npos || at == 0 || !parsePoint(value.substr(at + 1), drop.x, drop.y)) {
        error = "--drop wants FILE@X,Y, not '" + value + "'";
        return false;
      }
      drop.path = value.substr(0, at);
      o.actions.push_back(drop);
    }
    if (name == "--scale") {
      char* end = nullptr;
      o.scale = std::strtod(value.c_str(), &end);
      if (value.empty() || end == nullptr || *end != '\0' || !(o.scale >= 0.5 && o.scale <= 4.0)) {
        error = "--scale wants a factor 0.5..4 (1, 1.5, 2), not '" + value + "'";
        return false;
      }
    }
    if (name == "--note") {
      int64_t key = -1;
      if (!parseWholeNumber(value, key) || key < 0 || key > 127) {
        error = "--note wants a key 0..127, not '" + value + "'";
        return false;
      }
      o.note = static_cast<int32_t>(key);
    }
  }
  if (line.positional.size() != 2) {
    error = line.positional.size() < 2 ? "give the plug-in and the output file"
                                       : "unexpected argument '" + line.positional[2] + "'";
    return false;
  }
  o.pluginPath = line.positional[0];
  o.outPath = line.positional[1];
  return true;
}

intptr_t probe(HostedInstrument& host, EditorProbeCommand command, EditorProbeRecord& record) {
  return host.probeEditor(command, record);
}

bool idle(HostedInstrument& host, int32_t count) {
  EditorProbeRecord r;
  r.count = count;
  return probe(host, kProbeIdle, r) == 1;
}

bool mouse(HostedInstrument& host, int32_t x, int32_t y, int32_t buttons) {
  EditorProbeRecord r;
  r.x = x;
  r.y = y;
  r.buttons = buttons;
  return probe(host, kProbeMouse, r) == 1;
}

// Queues a drop of the file (made absolute, as a file manager hands it over) at (x, y).
bool drop(HostedInstrument& host, const std::string& path, int32_t x, int32_t y) {
  std::error_code ec;
  const std::string absolute =
      platform::utf8FromPath(std::filesystem::absolute(platform::fileSystemPath(path.c_str()), ec).lexically_normal());
  EditorProbeRecord r;
  r.x = x;
  r.y = y;
  r.path = ec ? path.c_str() : absolute.c_str();
  return probe(host, kProbeDrop, r) == 1;
}

// Runs the editor's idle until a recording loading from the editor (a dialog's, a drop's) has ended,
// as a host's event loop would; bounded, for a plug-in that never ends it.
void idleWhileLoading(HostedInstrument& host) {
  for (int32_t i = 0; i < 100000; ++i) {
    EditorProbeRecord r;
    if (probe(host, kProbeLoading, r) != 1 || r.count < 0) return;
    idle(host, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::string statusLine(HostedInstrument& host) {
  char text[512] = {};
  EditorProbeRecord r;
  r.text = text;
  r.textCapacity = static_cast<int32_t>(sizeof text);
  return probe(host, kProbeStatus, r) == 1 ? std::string(text) : std::string();
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
  if (!parse(argc, argv, o, error)) return usageError(kScreenshotCommand, error);
  if (o.help) {
    printCommandHelp(kScreenshotCommand, stdout);
    return kExitDone;
  }
  std::vector<uint8_t> chunk;
  if (!o.chunkPath.empty() && !readInputFile(o.chunkPath, "the chunk", kMaxChunkFileBytes, chunk, &error))
    return failWith(kExitBadInput, error);
  if (!o.samplePath.empty() && !checkInputFile(o.samplePath, "the recording", &error))
    return failWith(kExitBadInput, error);

  std::unique_ptr<HostedInstrument> host = loadInstrument(o.pluginPath, &error);
  if (!host) return failWith(kExitPluginFailed, error);
  host->setSampleRate(44100.0f);
  host->setBlockSize(kBlock);
  // With answers given, the host's file selector serves the editor's dialogs; without, the editor opens
  // its own browser (a click on a dialog button pictures it).
  if (!o.selectFiles.empty()) host->offerFileSelector(o.selectFiles);
  host->resume();
  if (!o.samplePath.empty()) {
    std::error_code ec;
    const std::string absolute = platform::utf8FromPath(
        std::filesystem::absolute(platform::fileSystemPath(o.samplePath.c_str()), ec).lexically_normal());
    if (chunk.empty()) chunk = host->getChunk();
    if (ec || !writeChunkPath(chunk, absolute, &error)) return failWith(kExitBadInput, error);
  }
  if (!chunk.empty() && !host->setChunk(chunk)) return failWith(kExitBadInput, "the plug-in refused the chunk");
  if (!chunk.empty() && !recordingLoaded(*host, &error)) return failWith(kExitBadInput, error);

  // As a high-resolution host does: the content scale before the editor opens.
  if (o.scale > 0.0 && !host->setContentScale(o.scale))
    return failWith(kExitPluginFailed, "the plug-in does not take a content scale");
  EditorProbeRecord opened;
  if (probe(*host, kProbeOpen, opened) != 1) return failWith(kExitPluginFailed, "the plug-in has no editor probe");
  idle(*host, 2);
  // Every click is queued before the editor runs: a menu a click opens takes the next click from the
  // queue, as it would take the user's. A drop comes after what was queued before it, and the status
  // line tells what it did.
  for (const WindowAction& action : o.actions) {
    if (action.path.empty()) {
      mouse(*host, action.x, action.y, 1);
      mouse(*host, action.x, action.y, 0);
      continue;
    }
    idle(*host, 2);
    if (!drop(*host, action.path, action.x, action.y)) return failWith(kExitPluginFailed, "the editor took no drop");
    mouse(*host, action.x, action.y, 0);  // the pointer is where the file was let go
    idle(*host, 2);
    idleWhileLoading(*host);
    std::printf("dropped %s at %d,%d: %s\n", action.path.c_str(), action.x, action.y, statusLine(*host).c_str());
  }
  // The mouse then leaves the window, so no highlight stays on the last click's control.
  mouse(*host, -10, -10, 0);
  idle(*host, 2);
  idleWhileLoading(*host);
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
  if (!o.chunkOutPath.empty() && !writeOutputFile(o.chunkOutPath, host->getChunk(), &error))
    return failWith(kExitOutputFailed, error);

  EditorProbeRecord read;
  std::vector<uint32_t> pixels(static_cast<size_t>(opened.width) * static_cast<size_t>(opened.height));
  read.pixels = pixels.data();
  read.pixelCapacity = static_cast<int32_t>(pixels.size());
  if (probe(*host, kProbeRead, read) != 1) return failWith(kExitPluginFailed, "cannot read the editor's pixels");
  EditorProbeRecord closing;
  probe(*host, kProbeClose, closing);
  for (const PluginHost::FileSelectorRequest& request : host->fileSelectorRequests()) {
    if (request.refusedAnswer.empty()) continue;
    std::fprintf(stderr,
                 "tarnwick-host screenshot: warning: \"%s\" cannot take the %zu-character path %s; it was "
                 "cancelled\n",
                 request.title.c_str(), request.refusedAnswer.size(), request.refusedAnswer.c_str());
  }
  if (o.note >= 0) host->stopProcess();
  host->close();
  if (!writePng(o.outPath, pixels, read.width, read.height))
    return failWith(kExitOutputFailed, "cannot write " + o.outPath);
  std::printf("wrote the editor (%d x %d) to %s\n", read.width, read.height, o.outPath.c_str());
  return kExitDone;
}

}  // namespace tarnwick::host
