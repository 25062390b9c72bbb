// tarnwick-host render: restores a recording through the chunk, plays a MIDI file and writes a WAV.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tools/host/Commands.h"
#include "tools/host/RenderOptions.h"
#include "tools/host/RenderOutput.h"
#include "tools/host/SessionChunk.h"
#include "tools/host/SongRenderer.h"
#include "tools/hostlib/PluginHost.h"
#include "tools/midi/MidiFile.h"

#ifndef TARNWICK_DEFAULT_RECORDING
#define TARNWICK_DEFAULT_RECORDING ""
#endif

namespace tarnwick::host {
namespace {

constexpr int kExitBadArguments = 2, kExitBadInput = 3, kExitPluginFailed = 4, kExitOutputFailed = 5;
constexpr float kRenderSampleRate = 44100.0f;
constexpr std::size_t kMaxChunkFileBytes = 16u * 1024u * 1024u;

bool fail(std::string* error, const std::string& text) {
  *error = text;
  return false;
}

int failWith(int code, const std::string& message) {
  std::fprintf(stderr, "render: %s\n", message.c_str());
  return code;
}

class PluginTarget : public RenderTarget {
 public:
  explicit PluginTarget(PluginHost& host) : host_(host) {}
  void setTempo(double bpm) override { host_.setTempo(bpm); }
  void sendMidi(const std::vector<MidiMessage>& messages) override { host_.sendMidi(messages); }
  void process(float* left, float* right, int32_t frames) override { host_.process(left, right, frames); }

 private:
  PluginHost& host_;
};

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* error) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return fail(error, "cannot open " + path);
  const std::streamoff size = file.tellg();
  if (size < 0 || static_cast<unsigned long long>(size) > kMaxChunkFileBytes)
    return fail(error, path + " is too large to be a chunk");
  bytes.resize(static_cast<std::size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return fail(error, "cannot read " + path);
  return true;
}

// The recording to restore: --sample, else (without --chunk) the generated default; empty keeps the chunk's own.
bool resolveRecording(const RenderOptions& options, std::string& path, std::string* error) {
  path.clear();
  if (options.samplePath) {
    path = *options.samplePath;
  } else if (!options.chunkPath) {
    path = TARNWICK_DEFAULT_RECORDING;
    if (path.empty()) return fail(error, "no default recording was built in: give --sample FILE");
  } else {
    return true;
  }
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) return fail(error, "cannot resolve the recording path " + path);
  path = absolute.lexically_normal().string();
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot read the recording " + path;
    if (!options.samplePath) *error += " (it is made by the build: build the tarnwick_resources target)";
    return false;
  }
  // The plug-in only reports a failed reload in its message box, so refuse what cannot be audio up front.
  char head[12] = {};
  file.read(head, sizeof head);
  const std::string riff(head, 4), form(head + 8, 4);
  if (!(riff == "RIFF" && form == "WAVE") && !(riff == "FORM" && (form == "AIFF" || form == "AIFC")))
    return fail(error, path + " is not a WAV or AIFF file");
  return true;
}

bool outputFolderExists(const std::string& outPath) {
  std::error_code ec;
  const std::filesystem::path parent = std::filesystem::absolute(outPath, ec).parent_path();
  return !ec && std::filesystem::is_directory(parent, ec);
}

// Host parameter names are looked up among the announced parameters; numbers address any index.
bool resolveParams(PluginHost& host, std::vector<ParamSetting>& params, std::string* error) {
  const int32_t count = host.effect() ? host.effect()->numParams : 0;
  std::vector<std::string> names;
  for (ParamSetting& p : params) {
    if (p.byIndex) continue;
    if (names.empty())
      for (int32_t i = 0; i < count; ++i) names.push_back(host.parameterName(i));
    bool found = false;
    for (int32_t i = 0; i < static_cast<int32_t>(names.size()) && !found; ++i) {
      if (names[static_cast<std::size_t>(i)] == p.name) {
        p.index = i;
        found = true;
      }
    }
    if (!found) {
      std::string known;
      for (const std::string& n : names) known += (known.empty() ? "" : " ") + n;
      *error = "--param: the plug-in has no parameter named '" + p.name + "' (it has: " + known + ")";
      return false;
    }
  }
  return true;
}

void printSummary(const RenderOptions& options, const RenderedSong& song, const LevelStats& levels,
                  double wallSeconds) {
  const double total = song.left.size() / static_cast<double>(kRenderSampleRate);
  const double songSeconds = song.songFrames / static_cast<double>(kRenderSampleRate);
  std::printf("rendered %.2f s (%.2f s of song, %.2f s of tail) to %s\n", total, songSeconds, total - songSeconds,
              options.outPath.c_str());
  if (levels.peak > 0.0)
    std::printf("peak     %7.2f dBFS (%.6f)\n", levels.peakDb, levels.peak);
  else
    std::printf("peak        -inf dBFS (0)\n");
  if (levels.rmsDb > -1e8)
    std::printf("rms      %7.2f dBFS\n", levels.rmsDb);
  else
    std::printf("rms         -inf dBFS\n");
  if (wallSeconds > 0.0)
    std::printf("realtime %7.1fx (%.2f s of audio in %.3f s)\n", total / wallSeconds, total, wallSeconds);
  if (levels.nonFinite > 0)
    std::fprintf(stderr, "render: warning: %lld samples are not finite\n", static_cast<long long>(levels.nonFinite));
  if (levels.peak == 0.0) std::fprintf(stderr, "render: warning: the output is silent (was the recording loaded?)\n");
}

}  // namespace

int runRender(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!parseRenderOptions(std::vector<std::string>(argv, argv + argc), options, &error)) {
    std::fprintf(stderr, "render: %s\n%s", error.c_str(), renderUsage());
    return kExitBadArguments;
  }
  if (options.help) {
    std::fputs(renderUsage(), stdout);
    return 0;
  }

  if (!outputFolderExists(options.outPath))
    return failWith(kExitOutputFailed, "cannot write " + options.outPath + ": no such folder");
  MidiSong song;
  if (!loadMidiFile(options.midiPath, song, &error)) return failWith(kExitBadInput, error);
  std::vector<uint8_t> savedChunk;
  if (options.chunkPath && !readWholeFile(*options.chunkPath, savedChunk, &error))
    return failWith(kExitBadInput, error);
  std::string recording;
  if (!resolveRecording(options, recording, &error)) return failWith(kExitBadInput, error);

  std::unique_ptr<PluginHost> host = PluginHost::load(options.pluginPath, &error);
  if (!host) return failWith(kExitPluginFailed, error);
  host->setSampleRate(kRenderSampleRate);
  host->setBlockSize(options.blockSize);
  host->setTempo(options.tempo.value_or(song.firstTempoBpm().value_or(120.0)));
  host->resume();

  // Restore the recording as a host restores a session: a chunk that carries the path.
  std::vector<uint8_t> chunk = options.chunkPath ? savedChunk : host->getChunk(false);
  if (!recording.empty() && !writeChunkPath(chunk, recording, &error))
    return failWith(options.chunkPath ? kExitBadInput : kExitPluginFailed, error);
  host->setChunk(chunk, false);

  if (!resolveParams(*host, options.params, &error)) return failWith(kExitBadArguments, error);
  for (const ParamSetting& p : options.params) host->setParameter(p.index, p.value);

  SongRenderSettings settings;
  settings.sampleRate = kRenderSampleRate;
  settings.blockSize = options.blockSize;
  settings.followFileTempo = !options.tempo.has_value();
  PluginTarget target(*host);
  ProgressBar bar(stderrIsTerminal());
  host->startProcess();
  const auto started = std::chrono::steady_clock::now();
  const RenderedSong rendered = renderSong(
      target, song, settings, [&bar](int64_t done, int64_t planned) { bar.update(done, planned, kRenderSampleRate); });
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  bar.finish();
  host->stopProcess();
  host->suspend();
  host->close();

  const LevelStats levels = measureLevels(rendered.left, rendered.right);
  if (!writeStereoWav(options.outPath, rendered.left, rendered.right, static_cast<int>(kRenderSampleRate),
                      options.format, &error))
    return failWith(kExitOutputFailed, error);
  printSummary(options, rendered, levels, wallSeconds);
  return 0;
}

}  // namespace tarnwick::host
