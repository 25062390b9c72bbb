// Pitched sections of the default recording: bells and plucks, a beating chord, sung vowels.
#include <algorithm>
#include <array>

#include "tools/gen/RecordingParts.h"

namespace tarnwick::gen {
namespace {

// Raised-cosine ramp from 0 to 1 over `length` seconds.
double rampUp(double t, double length) {
  if (t <= 0.0) return 0.0;
  if (t >= length) return 1.0;
  return 0.5 - 0.5 * std::cos(kTwoPi * 0.5 * t / length);
}

struct Partial {
  double ratio, amplitude, decaySeconds;
};

void addStrike(StereoBuffer& out, int startFrame, double hz, double gain, double pan, const Partial* partials,
               int partialCount, Prng& rng) {
  const double gl = gain * std::cos(pan * kTwoPi * 0.25), gr = gain * std::sin(pan * kTwoPi * 0.25);
  const int frames = static_cast<int>(out.frames());
  for (int p = 0; p < partialCount; ++p) {
    const double w = kTwoPi * hz * partials[p].ratio / kRate;
    if (hz * partials[p].ratio > 0.45 * kRate) continue;
    const double decay = std::exp(-1.0 / (partials[p].decaySeconds * kRate));
    double env = partials[p].amplitude;
    // A small per-partial stereo phase offset widens the image.
    const double phaseR = 0.3 * p;
    for (int i = startFrame; i < frames && env > 1e-5; ++i) {
      const double n = i - startFrame;
      const double attack = std::min(1.0, n / 40.0);
      out.left[i] += static_cast<float>(gl * env * attack * std::sin(w * n));
      out.right[i] += static_cast<float>(gr * env * attack * std::sin(w * n + phaseR));
      env *= decay;
    }
  }
  // The strike itself: a few milliseconds of darkened noise.
  double lp = 0.0;
  for (int n = 0; n < 200 && startFrame + n < frames; ++n) {
    lp += 0.25 * (rng.bipolar() - lp);
    const double e = gain * 0.5 * std::exp(-n / 50.0);
    out.left[startFrame + n] += static_cast<float>(e * lp * gl);
    out.right[startFrame + n] += static_cast<float>(e * lp * gr);
  }
}

}  // namespace

StereoBuffer renderBells(int frames, Prng& rng) {
  static constexpr Partial kBell[] = {{0.5, 0.35, 1.4},  {1.0, 1.0, 1.1},  {2.0, 0.45, 0.6}, {2.76, 0.4, 0.45},
                                      {4.07, 0.25, 0.3}, {5.4, 0.15, 0.2}, {8.93, 0.08, 0.1}};
  static constexpr Partial kPluck[] = {{1.0, 1.0, 0.7},  {2.0, 0.5, 0.35},  {3.0, 0.33, 0.23}, {4.0, 0.25, 0.17},
                                       {5.0, 0.2, 0.14}, {6.0, 0.16, 0.11}, {7.0, 0.12, 0.09}, {8.0, 0.1, 0.08}};
  struct Note {
    double seconds, key, velocity;
  };
  static constexpr Note kPhrase[] = {{0.00, 76, 1.0}, {0.20, 79, 0.7}, {0.40, 81, 0.8}, {0.60, 84, 0.6},
                                     {0.90, 83, 0.9}, {1.10, 79, 0.6}, {1.25, 76, 0.7}, {1.40, 72, 1.0}};
  StereoBuffer out(static_cast<std::size_t>(frames));
  int index = 0;
  for (const Note& note : kPhrase) {
    const bool bell = (index % 2) == 0;
    const double pan = 0.5 + 0.35 * std::sin(1.7 * index);
    addStrike(out, static_cast<int>(note.seconds * kRate), midiToHz(bell ? note.key : note.key - 12), note.velocity,
              pan, bell ? kBell : kPluck, bell ? 7 : 8, rng);
    ++index;
  }
  return out;
}

StereoBuffer renderChord(int frames) {
  // D major seventh; each channel holds two slightly detuned voices so the chord beats slowly, differently left
  // and right.
  static constexpr double kKeys[] = {50, 57, 66, 73};
  static constexpr double kDetuneLeft[] = {0.0, 0.7}, kDetuneRight[] = {-0.45, 1.1};
  StereoBuffer out(static_cast<std::size_t>(frames));
  const double seconds = frames / kRate;
  for (double key : kKeys) {
    const double hz = midiToHz(key);
    for (int harmonic = 1; harmonic <= 7; ++harmonic) {
      const double amp = 0.25 / std::pow(harmonic, 1.3);
      for (int voice = 0; voice < 2; ++voice) {
        const double wl = kTwoPi * (hz + kDetuneLeft[voice]) * harmonic / kRate;
        const double wr = kTwoPi * (hz + kDetuneRight[voice]) * harmonic / kRate;
        for (int i = 0; i < frames; ++i) {
          out.left[i] += static_cast<float>(amp * std::sin(wl * i + 0.4 * harmonic));
          out.right[i] += static_cast<float>(amp * std::sin(wr * i + 1.1 * harmonic + voice));
        }
      }
    }
  }
  for (int i = 0; i < frames; ++i) {
    const double t = i / kRate;
    const double env = rampUp(t, 0.3) * rampUp(seconds - t, 0.3);
    out.left[i] = static_cast<float>(out.left[i] * env);
    out.right[i] = static_cast<float>(out.right[i] * env);
  }
  return out;
}

StereoBuffer renderVowels(int frames, Prng& rng) {
  // Formant frequencies and levels of the vowels a, e, i, o, u, sung in that order.
  static constexpr std::array<std::array<double, 3>, 5> kFormants = {
      {{730, 1090, 2440}, {530, 1840, 2480}, {270, 2290, 3010}, {570, 840, 2410}, {300, 870, 2240}}};
  static constexpr double kBandwidth[] = {90, 110, 140}, kLevel[] = {1.0, 0.6, 0.3};
  constexpr double kTop = 5500.0;
  StereoBuffer out(static_cast<std::size_t>(frames));
  const double seconds = frames / kRate;
  double phase[2] = {0.0, 0.0};
  Svf breath;
  for (int i = 0; i < frames; ++i) {
    const double t = i / kRate;
    const double position = std::min(3.999, 4.0 * t / seconds);
    const int v = static_cast<int>(position);
    const double mix = position - v;
    double formant[3];
    for (int k = 0; k < 3; ++k) formant[k] = kFormants[v][k] * (1.0 - mix) + kFormants[v + 1][k] * mix;
    const double vibrato = 1.0 + 0.008 * rampUp(t, 0.5) * std::sin(kTwoPi * 5.5 * t);
    const double f0 = (110.0 + 20.0 * t / seconds) * vibrato;
    const double env = rampUp(t, 0.08) * rampUp(seconds - t, 0.15);
    breath.set(formant[1], 3.0, kRate);
    const double aspiration = 0.02 * breath.tick(rng.bipolar()).band;
    for (int ch = 0; ch < 2; ++ch) {
      const double hz = f0 * (ch == 0 ? 1.0 : 1.0035);
      phase[ch] += kTwoPi * hz / kRate;
      if (phase[ch] > kTwoPi * 1000.0) phase[ch] -= kTwoPi * 1000.0;
      double sum = 0.0;
      for (int h = 1; h * hz < kTop; ++h) {
        const double f = h * hz;
        double shape = 0.0;
        for (int k = 0; k < 3; ++k) {
          const double d = (f - formant[k]) / kBandwidth[k];
          shape += kLevel[k] / (1.0 + d * d);
        }
        const double taper = std::min(1.0, (kTop - f) / 500.0);
        sum += (0.15 + shape) * taper / std::sqrt(static_cast<double>(h)) * std::sin(h * phase[ch]);
      }
      const float sample = static_cast<float>(env * (0.1 * sum + aspiration));
      (ch == 0 ? out.left : out.right)[i] = sample;
    }
  }
  return out;
}

}  // namespace tarnwick::gen
