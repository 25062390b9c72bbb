// Unpitched sections of the default recording: filtered noise bursts, a breathy sweep, drums and clicks.
#include <algorithm>

#include "tools/gen/RecordingParts.h"

namespace tarnwick::gen {
namespace {

void addFilteredBurst(StereoBuffer& out, double startSeconds, double lengthSeconds, double hz, double q,
                      double decaySeconds, double gain, bool highPass, Prng& rng) {
  const int start = static_cast<int>(startSeconds * kRate);
  const int end = std::min(static_cast<int>(out.frames()), start + static_cast<int>(lengthSeconds * kRate));
  Svf left, right;
  left.set(hz, q, kRate);
  right.set(hz, q, kRate);
  for (int i = start; i < end; ++i) {
    const double n = i - start;
    const double env =
        gain * std::min(1.0, n / 200.0) * std::exp(-n / (decaySeconds * kRate)) * std::min(1.0, (end - i) / 64.0);
    const Svf::Out l = left.tick(rng.bipolar()), r = right.tick(rng.bipolar());
    out.left[i] += static_cast<float>(env * (highPass ? l.high : l.band));
    out.right[i] += static_cast<float>(env * (highPass ? r.high : r.band));
  }
}

void addKick(StereoBuffer& out, double startSeconds, double gain) {
  const int start = static_cast<int>(startSeconds * kRate);
  double phase = 0.0;
  for (int i = start; i < static_cast<int>(out.frames()); ++i) {
    const double t = (i - start) / kRate;
    phase += kTwoPi * (45.0 + 110.0 * std::exp(-t / 0.04)) / kRate;
    const double s = gain * std::min(1.0, t * 2000.0) * std::exp(-t / 0.18) * std::sin(phase);
    out.left[i] += static_cast<float>(s);
    out.right[i] += static_cast<float>(s);
  }
}

void addSnare(StereoBuffer& out, double startSeconds, double gain, Prng& rng) {
  addFilteredBurst(out, startSeconds, 0.3, 2000.0, 0.8, 0.07, gain, false, rng);
  const int start = static_cast<int>(startSeconds * kRate);
  for (int i = start; i < static_cast<int>(out.frames()); ++i) {
    const double t = (i - start) / kRate;
    const double s = 0.5 * gain * std::exp(-t / 0.05) * std::sin(kTwoPi * 190.0 * t);
    out.left[i] += static_cast<float>(s);
    out.right[i] += static_cast<float>(s);
  }
}

// A single-sample impulse ringing briefly in a resonator: a hard, bright transient.
void addClick(StereoBuffer& out, double startSeconds, double hz, double gain, double pan) {
  const int start = static_cast<int>(startSeconds * kRate);
  Svf ring;
  ring.set(hz, 2.0, kRate);
  for (int n = 0; n < 400 && start + n < static_cast<int>(out.frames()); ++n) {
    const double s = gain * ring.tick(n == 0 ? 1.0 : 0.0).band * std::exp(-n / 90.0);
    out.left[start + n] += static_cast<float>(s * (1.0 - pan));
    out.right[start + n] += static_cast<float>(s * pan);
  }
}

}  // namespace

StereoBuffer renderNoise(int frames, Prng& rng) {
  StereoBuffer out(static_cast<std::size_t>(frames));
  static constexpr double kBurstHz[] = {600.0, 1500.0, 3500.0, 7000.0};
  for (int b = 0; b < 4; ++b) addFilteredBurst(out, 0.18 * b, 0.17, kBurstHz[b], 5.0, 0.06, 1.5, false, rng);

  // Breath: wide-band noise through a band that sweeps from 400 Hz to 9 kHz, independent per channel.
  const double sweepStart = 0.72, sweepEnd = frames / kRate;
  Svf left, right;
  for (int i = static_cast<int>(sweepStart * kRate); i < frames; ++i) {
    const double t = i / kRate - sweepStart, length = sweepEnd - sweepStart;
    const double hz = 400.0 * std::pow(9000.0 / 400.0, t / length);
    left.set(hz, 0.9, kRate);
    right.set(hz * 1.1, 0.9, kRate);
    const double env = std::sin(kTwoPi * 0.5 * t / length);
    const double nl = rng.bipolar(), nr = rng.bipolar();
    out.left[i] += static_cast<float>(env * (left.tick(nl).band + 0.15 * nl));
    out.right[i] += static_cast<float>(env * (right.tick(nr).band + 0.15 * nr));
  }
  return out;
}

StereoBuffer renderPercussion(int frames, Prng& rng) {
  StereoBuffer out(static_cast<std::size_t>(frames));
  addKick(out, 0.0, 1.0);
  addKick(out, 0.5, 0.9);
  addSnare(out, 0.25, 0.8, rng);
  addSnare(out, 0.75, 0.9, rng);
  for (int h = 0; h < 8; ++h) addFilteredBurst(out, 0.125 * h, 0.06, 7000.0, 0.7, 0.015, h % 2 ? 0.5 : 0.8, true, rng);
  for (int c = 0; c < 4; ++c) addClick(out, 0.0625 + 0.25 * c, 3000.0, 1.5, 0.2 + 0.2 * c);
  for (int c = 0; c < 6; ++c) {
    // One draw per statement: argument evaluation order differs between compilers.
    const double at = 0.9 * rng.unit();
    const double hz = 1200.0 + 5000.0 * rng.unit();
    const double pan = rng.unit();
    addClick(out, at, hz, 1.2, pan);
  }
  return out;
}

}  // namespace tarnwick::gen
