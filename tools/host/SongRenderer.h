// Plays a MIDI song through a plug-in block by block: sample-accurate events, tempo updates, a silence-ended tail.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "tools/hostlib/HostLog.h"
#include "tools/midi/MidiFile.h"

namespace tarnwick::host {

// What the renderer needs of a host; PluginHost is adapted to it, tests substitute their own.
class RenderTarget {
 public:
  virtual ~RenderTarget() = default;
  virtual void setTempo(double bpm) = 0;
  virtual void sendMidi(const std::vector<MidiMessage>& messages) = 0;
  virtual void process(float* left, float* right, int32_t frames) = 0;
};

struct SongRenderSettings {
  double sampleRate = 44100.0;
  int32_t blockSize = 512;
  bool followFileTempo = true;      // false: the host tempo set beforehand is kept
  double tailSilenceSeconds = 1.0;  // the tail ends after this much continuous silence ...
  double maxTailSeconds = 10.0;     // ... or after this long at most
  float silenceLevel = 1.0e-6f;     // samples at or below this magnitude count as silent
};

struct RenderedSong {
  std::vector<float> left, right;
  int64_t songFrames = 0;  // frames up to and including the block of the last event; the rest is tail
};

// progress(framesDone, songFrames) is called after every block.
using RenderProgress = std::function<void(int64_t framesDone, int64_t songFrames)>;

// Sample position of an event time (rounded to the nearest frame).
int64_t framePosition(double seconds, double sampleRate);

RenderedSong renderSong(RenderTarget& target, const MidiSong& song, const SongRenderSettings& settings,
                        const RenderProgress& progress = {});

}  // namespace tarnwick::host
