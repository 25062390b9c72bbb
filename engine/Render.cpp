// The render: every sounding key's grains mixed into the two outputs, master gain and peak.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Engine.h"
#include "engine/GrainPlayer.h"
#include "engine/Numeric.h"

namespace tarnwick {

void Engine::render(float* outL, float* outR, int32_t frames) {
  if (frames <= 0) return;
  std::memset(outL, 0, sizeof(float) * static_cast<size_t>(frames));
  std::memset(outR, 0, sizeof(float) * static_cast<size_t>(frames));
  EngineState& s = *s_;
  if (!voices_) return;
  followSilenceRequests();
  if (!s.buffer.playable() || s.engineBusy) return;

  if (s.quantized()) {
    double bpm = 0.0;
    if (hostTime_ && hostTime_->readTempo(kTimeMaskTempo, bpm) && std::isfinite(bpm) && bpm > 0.0) {
      s.tempo = bpm;
      s.delayUnit = s.sampleRate * 60.0f / static_cast<float>(bpm);
    }
  }
  for (int32_t k = s.lowKey; k <= s.highKey; ++k) voices_[k].loopMark = 0;
  for (int32_t k = s.lowKey; k <= s.highKey; ++k) {
    if (voices_[k].keyState != kIdle) renderKey(k, outL, outR, frames);
  }

  const float gain = s.masterGain;
  float peak = 0.0f;
  float magnitude = 0.0f;
  for (int32_t i = 0; i < frames; ++i) {
    outL[i] *= gain;
    outR[i] *= gain;
    peak = std::max(peak, std::max(outL[i], outR[i]));
    magnitude = std::max(magnitude, std::max(std::fabs(outL[i]), std::fabs(outR[i])));
  }
  // Readers take and clear these with one exchange; raise them without losing a clear. The peak level
  // (258) counts positive samples only; the meter shows the output's magnitude.
  raise(peakLevel_, peak);
  raise(meterPeak_, magnitude);
}

void Engine::raise(std::atomic<float>& slot, float value) {
  float current = slot.load(std::memory_order_relaxed);
  while (value > current && !slot.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
  }
}

void Engine::renderKey(int32_t key, float* outL, float* outR, int32_t n) {
  EngineState& s = *s_;
  Voice& v = voices_[key];
  GrainSchedule& gs = v.schedule;
  const bool morphOn = s.morph != 0.0f;
  const bool trigOn = s.trigmode != 0.0f;
  const int32_t loopGrain = trigOn ? kGrainCount - 2 : kGrainCount - 1;
  const int64_t bufferLength = static_cast<int64_t>(s.buffer.frameCount) + 1;  // with the guard

  for (;;) {  // one pass, and a second one over the new schedule after a loop re-trigger
    int32_t inactive = 0;
    for (int32_t g = 0; g < kGrainCount; ++g) {
      const int32_t w = gs.countdown[g];
      int32_t L = gs.remaining[g];
      if (w < 0) {
        ++inactive;
        continue;
      }
      float a = v.amplitude;
      const float step = v.releaseStep;
      const bool fromBuffer = !morphOn || (trigOn && (g == 0 || g == kGrainCount - 1));
      const float* srcL = fromBuffer ? s.buffer.left : morphGrainBuffer(g);
      const float* srcR = fromBuffer ? s.buffer.right : morphGrainBuffer(g);
      const int64_t srcLength = fromBuffer ? bufferLength : kMorphGrainCapacity + 1;
      if (w >= n) {
        gs.countdown[g] = w - n;
        continue;
      }

      int32_t count;
      int32_t samplesLeft = L;
      bool ends = false;
      if (static_cast<int64_t>(w) + L <= n) {
        count = L;
        if (a < static_cast<float>(L) * step) count = truncSaturate(a / step);
        gs.countdown[g] = -1;
        ends = true;
      } else {
        a -= static_cast<float>(w) * step;
        if (a < static_cast<float>(n - w) * step) {
          for (int32_t j = g; j < kGrainCount; ++j) gs.countdown[j] = -1;
          count = truncSaturate(a / step);
        } else {
          gs.countdown[g] = 0;
          count = n - w;
        }
      }
      count = std::clamp(count, 0, n - w);
      // Never read outside the source, whatever the schedule says.
      const int64_t pos = gs.readPos[g];
      const int32_t playable = pos < 0 ? 0 : static_cast<int32_t>(std::clamp<int64_t>(srcLength - pos, 0, count));

      GrainRun run{srcL + (pos < 0 ? 0 : pos),
                   srcR + (pos < 0 ? 0 : pos),
                   outL + w,
                   outR + w,
                   playable,
                   samplesLeft,
                   a,
                   step,
                   gs.fadeLength[g],
                   gs.fadeInLeft[g]};
      grainSamples_ += static_cast<uint64_t>(playable);
      ++grainRuns_;
      if (playGrainRun(run) > 0 && key == s.lastSelectedKey) {
        playingGrain_.store(g, std::memory_order_relaxed);
      }
      gs.fadeInLeft[g] = run.fadeInLeft;
      gs.readPos[g] = clampToInt32(pos + count);
      gs.remaining[g] = L - count;

      if (ends && g == loopGrain && v.keyState == kHeld && v.loopMark == 0 && !morphOn) {
        v.loopMark = 1;
        noteStart(key, std::max(0, gs.loopCountdown()));
        break;
      }
    }

    if (v.keyState == kReleased) {
      v.amplitude -= static_cast<float>(n) * v.releaseStep;
      if (v.amplitude < 0.0f) v.amplitude = 0.0f;
    }
    gs.loopCountdown() = clampToInt32(static_cast<int64_t>(gs.loopCountdown()) - n);
    if (v.loopMark > 0) {
      v.loopMark = -1;
      continue;
    }
    if (inactive == kGrainCount && v.keyState != kHeld) v.keyState = kIdle;
    return;
  }
}

}  // namespace tarnwick
