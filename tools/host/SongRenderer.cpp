// Plays a MIDI song through a plug-in block by block.
#include "tools/host/SongRenderer.h"

#include <algorithm>
#include <cmath>

namespace tarnwick::host {

int64_t framePosition(double seconds, double sampleRate) {
  return static_cast<int64_t>(std::llround(std::max(0.0, seconds) * sampleRate));
}

RenderedSong renderSong(RenderTarget& target, const MidiSong& song, const SongRenderSettings& settings,
                        const RenderProgress& progress) {
  const int64_t block = std::max<int32_t>(1, settings.blockSize);
  const int64_t lastEvent = song.events.empty() ? -1 : framePosition(song.events.back().seconds, settings.sampleRate);
  const int64_t songFrames = lastEvent < 0 ? 0 : (lastEvent / block + 1) * block;
  const int64_t silenceNeeded = std::max<int64_t>(1, framePosition(settings.tailSilenceSeconds, settings.sampleRate));
  const int64_t maxFrames = songFrames + framePosition(settings.maxTailSeconds, settings.sampleRate);

  RenderedSong out;
  out.songFrames = songFrames;
  std::vector<float> left(static_cast<std::size_t>(block)), right(static_cast<std::size_t>(block));
  std::vector<MidiMessage> messages;
  std::size_t nextEvent = 0, nextTempo = 0;
  int64_t silentRun = 0;  // counted from the start of the tail only

  for (int64_t start = 0; start < maxFrames; start += block) {
    const int32_t frames = static_cast<int32_t>(std::min(block, maxFrames - start));
    const int64_t end = start + frames;
    if (settings.followFileTempo) {
      // The host's time information is per block, so a change takes effect at its block.
      while (nextTempo < song.tempos.size() && framePosition(song.tempos[nextTempo].seconds, settings.sampleRate) < end)
        target.setTempo(song.tempos[nextTempo++].bpm());
    }
    messages.clear();
    while (nextEvent < song.events.size()) {
      const MidiFileEvent& e = song.events[nextEvent];
      const int64_t at = framePosition(e.seconds, settings.sampleRate);
      if (at >= end) break;
      messages.push_back({static_cast<int32_t>(at - start), e.status, e.data1, e.data2});
      ++nextEvent;
    }
    if (!messages.empty()) target.sendMidi(messages);
    std::fill(left.begin(), left.end(), 0.0f);
    std::fill(right.begin(), right.end(), 0.0f);
    target.process(left.data(), right.data(), frames);
    out.left.insert(out.left.end(), left.begin(), left.begin() + frames);
    out.right.insert(out.right.end(), right.begin(), right.begin() + frames);
    if (progress) progress(end, songFrames);

    if (end > songFrames) {
      for (int32_t i = 0; i < frames; ++i) {
        const bool silent = std::fabs(left[i]) <= settings.silenceLevel && std::fabs(right[i]) <= settings.silenceLevel;
        silentRun = silent ? silentRun + 1 : 0;
      }
      if (silentRun >= silenceNeeded) break;
    }
  }
  return out;
}

}  // namespace tarnwick::host
