// tarnwick-host render: restores a recording through the chunk, plays a MIDI file and writes a WAV.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "tools/host/CommandFiles.h"
#include "tools/host/CommandLine.h"
#include "tools/host/Commands.h"
#include "tools/host/Help.h"
#include "tools/host/ParamResolution.h"
#include "tools/host/RenderOptions.h"
#include "tools/host/RenderOutput.h"
#include "tools/host/SessionChunk.h"
#include "tools/host/SongRenderer.h"
#include "tools/hostlib/HostedInstrument.h"
#include "tools/midi/MidiFile.h"

#ifndef TARNWICK_DEFAULT_RECORDING
#define TARNWICK_DEFAULT_RECORDING ""
#endif

namespace tarnwick::host {
namespace {

constexpr const char* kRenderCommand = "render";
constexpr float kRenderSampleRate = 44100.0f;
constexpr std::size_t kMaxChunkFileBytes = 16u * 1024u * 1024u;
// A render keeps the whole song in memory: an hour of stereo float is 1.3 GB at most.
constexpr double kMaxSongSeconds = 3600.0;

int failWith(int code, const std::string& message) { return commandError(kRenderCommand, code, message); }

class PluginTarget : public RenderTarget {
 public:
  explicit PluginTarget(HostedInstrument& host) : host_(host) {}
  void setTempo(double bpm) override { host_.setTempo(bpm); }
  void sendMidi(const std::vector<MidiMessage>& messages) override { host_.sendMidi(messages); }
  void process(float* left, float* right, int32_t frames) override { host_.process(left, right, frames); }

 private:
  HostedInstrument& host_;
};

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
  const std::filesystem::path absolute = std::filesystem::absolute(platform::fileSystemPath(path.c_str()), ec);
  if (ec) return fail(error, "cannot resolve the recording path " + path);
  path = platform::utf8FromPath(absolute.lexically_normal());
  // A session carries at most kChunkPathLimit characters of it: a longer path is unusable input.
  if (path.size() > kChunkPathLimit) {
    return fail(error, "the recording path " + path + " is longer than " + std::to_string(kChunkPathLimit) +
                           " characters, more than a session can carry");
  }
  if (!checkInputFile(path, "the recording", error)) {
    if (!options.samplePath) *error += " (it is made by the build: build the tarnwick_resources target)";
    return false;
  }
  return true;
}

bool outputFolderExists(const std::string& outPath) {
  std::error_code ec;
  const std::filesystem::path parent =
      std::filesystem::absolute(platform::fileSystemPath(outPath.c_str()), ec).parent_path();
  return !ec && std::filesystem::is_directory(parent, ec);
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
    std::fprintf(stderr, "tarnwick-host render: warning: %lld samples are not finite\n",
                 static_cast<long long>(levels.nonFinite));
  if (levels.peak == 0.0) std::fprintf(stderr, "tarnwick-host render: warning: the output is silent\n");
  if (options.format != WavSampleFormat::float32 && levels.clipped > 0) {
    std::fprintf(stderr,
                 "tarnwick-host render: warning: %lld samples beyond full scale (peak %+.2f dBFS) clip in the %s "
                 "output; --format float keeps them\n",
                 static_cast<long long>(levels.clipped), levels.peakDb,
                 options.format == WavSampleFormat::pcm24 ? "24-bit" : "16-bit");
  }
}

}  // namespace

int runRender(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!parseRenderOptions(std::vector<std::string>(argv, argv + argc), options, &error))
    return usageError(kRenderCommand, error);
  if (options.help) {
    printCommandHelp(kRenderCommand, stdout);
    return kExitDone;
  }

  if (!outputFolderExists(options.outPath))
    return failWith(kExitOutputFailed, "cannot write " + options.outPath + ": no such folder");
  MidiSong song;
  if (!loadMidiFile(options.midiPath, song, &error)) return failWith(kExitBadInput, error);
  if (!song.events.empty() && song.events.back().seconds > kMaxSongSeconds) {
    return failWith(kExitBadInput, options.midiPath + ": the song's last event comes after " +
                                       std::to_string(static_cast<long long>(song.events.back().seconds)) +
                                       " s; a render plays at most an hour");
  }
  std::vector<uint8_t> savedChunk;
  if (options.chunkPath && !readInputFile(*options.chunkPath, "the chunk", kMaxChunkFileBytes, savedChunk, &error))
    return failWith(kExitBadInput, error);
  std::string recording;
  if (!resolveRecording(options, recording, &error)) return failWith(kExitBadInput, error);

  std::unique_ptr<HostedInstrument> host = loadInstrument(options.pluginPath, &error);
  if (!host) return failWith(kExitPluginFailed, error);
  host->setSampleRate(kRenderSampleRate);
  host->setBlockSize(options.blockSize);
  host->setTempo(options.tempo.value_or(song.firstTempoBpm().value_or(120.0)));
  host->resume();

  // Restore the recording as a host restores a session: a chunk that carries the path.
  std::vector<uint8_t> chunk = options.chunkPath ? savedChunk : host->getChunk();
  if (!recording.empty() && !writeChunkPath(chunk, recording, &error))
    return failWith(options.chunkPath ? kExitBadInput : kExitPluginFailed, error);
  host->setChunk(chunk);
  // The plug-in tells why a recording did not load (its message box says the same on standard error).
  if (!recordingLoaded(*host, &error)) return failWith(kExitBadInput, error);

  if (!resolveParams(*host, options.params, &error)) return usageError(kRenderCommand, error);
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
  std::vector<uint8_t> finalState;
  if (!options.chunkOutPath.empty()) finalState = host->getChunk();
  host->close();

  const LevelStats levels = measureLevels(rendered.left, rendered.right);
  if (!writeStereoWav(options.outPath, rendered.left, rendered.right, static_cast<int>(kRenderSampleRate),
                      options.format, &error))
    return failWith(kExitOutputFailed, error);
  if (!options.chunkOutPath.empty() && !writeOutputFile(options.chunkOutPath, finalState, &error))
    return failWith(kExitOutputFailed, error);
  printSummary(options, rendered, levels, wallSeconds);
  return kExitDone;
}

}  // namespace tarnwick::host
