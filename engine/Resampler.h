// Sample-rate conversion of a recording: a Kaiser-windowed sinc applied as a polyphase filter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/AudioBuffer.h"
#include "engine/WorkProgress.h"

namespace tarnwick {

// The filter's aims, relative to the Nyquist frequency of the lower of the two rates: flat up to the
// passband edge, at least the design attenuation down from the stopband edge on (so nothing aliases
// or images into the audible band), and a linear phase.
inline constexpr double kResamplePassbandEdge = 0.9;
inline constexpr double kResampleStopbandEdge = 1.0;
inline constexpr double kResampleAttenuationDb = 110.0;  // the design; the measured floor lies above 100 dB

// Above this many phases the table holds this many and the filter interpolates between neighbours
// (rates with a large ratio in lowest terms, 44100 to 44101 for example).
inline constexpr uint32_t kResampleMaxPhases = 1024;

// The filter's size is bounded whatever the rates, so that no pair takes long to build or holds much
// memory (a few tables stay cached): at most this many taps (the widest ratio of the conversion band,
// 384 to 8 kHz, needs about 6,900 at the design attenuation; beyond, the transition band widens), and
// at most this many coefficients in all: every row up to 512 taps, while a longer filter keeps fewer
// phase rows and interpolates, which at such lengths stays far below the design's floor).
inline constexpr int32_t kResampleMaxTaps = 8192;
inline constexpr size_t kResampleMaxCoefficients = size_t(kResampleMaxPhases + 1) * 512;

// Recordings are converted between rates of this band; a rate outside it (a host's absurd rate, a
// file's) counts as the nearest rate of the band.
// Output frames a conversion with progress writes between two reports (a few milliseconds' work).
inline constexpr int64_t kResampleProgressFrames = 1 << 16;

inline constexpr uint32_t kConversionRateLowest = 8000;
inline constexpr uint32_t kConversionRateHighest = 384000;
// The rate of the band that stands for a rate in frames per second (rounded; a fraction is off by less
// than 0.002 % at the lowest rate, far below what an ear resolves as pitch). Not a number counts as the
// lowest.
uint32_t conversionRate(double rate);

struct PolyphaseTable;
namespace resamplekernels {
struct KernelSet;
}

// Converts between one pair of rates (frames per second, 1 .. 2^20). Output frame n lies at input
// time n * inRate / outRate; the signal is silence before the first and after the last input frame.
class Resampler {
 public:
  // [ui-thread] Takes the pair's table from a small shared cache, building it on first use (an
  // equal pair needs none). valid() is false when the rates are out of range or memory failed.
  Resampler(uint32_t inRate, uint32_t outRate) noexcept;
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  bool valid() const { return valid_; }
  uint32_t inRate() const { return inRate_; }
  uint32_t outRate() const { return outRate_; }
  // Input frames per phase row (a multiple of 8), and the phase rows; 0 for an equal pair.
  int32_t taps() const;
  uint32_t phases() const;
  bool interpolatesPhases() const;

  // round(inputFrames * outRate / inRate), halves up; at least 1 for a non-empty input.
  int64_t outputFrames(int64_t inputFrames) const;

  // [ui-thread] Writes outputFrames(frames) frames of each channel; inL and inR hold frames frames.
  void process(const float* inL, const float* inR, int64_t frames, float* outL, float* outR) const;
  // The same with the filter loops of a chosen instruction set, for tests and benchmarks.
  void processWith(const resamplekernels::KernelSet& kernels, const float* inL, const float* inR, int64_t frames,
                   float* outL, float* outR) const;

  // [any-thread] The whole recording into fresh arrays with the zero guard sample; an equal pair is
  // copied as it is. False (out untouched) when memory fails or the result is too long for a
  // recording. progress, when given, hears the output frames written after every
  // kResampleProgressFrames of them and may stop the conversion there (false); the samples are the
  // same either way.
  bool convert(const ChannelPair& in, ChannelPair& out, WorkProgress* progress = nullptr) const noexcept;

 private:
  // Output frames begin .. end - 1 of process (clipped to outputFrames(frames)).
  void processRange(const resamplekernels::KernelSet& kernels, const float* inL, const float* inR, int64_t frames,
                    int64_t begin, int64_t end, float* outL, float* outR) const;

  uint32_t inRate_;
  uint32_t outRate_;
  bool valid_ = false;
  std::shared_ptr<const PolyphaseTable> table_;
};

}  // namespace tarnwick
